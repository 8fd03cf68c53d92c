// The price batch import: rows, cut list, rest file, budget, failures.
#include "tests/quarvel/price_xml_fixture.h"

namespace {

using PriceImport = PriceXmlTest;

// The sample products: OS-SH100 (1), OS-GL200 (2), MN-L300 (3), MN-B400 (4).
TEST_F(PriceImport, ListedKnownPartNumbersAreWrittenAndRemovedAndTheRestIsKept) {
  Run([&] {
    // A default namespace changes nothing: the elements are found by name as written.
    const std::string doc = "<PriceList xmlns=\"urn:prices\">" + (
        Price("OS-SH100", Sound("10", "12.5")) + Price("XX-9999", Sound()) +
        // one valid and one invalid line: the valid one is written, both go
        Price("OS-GL200", Sound("5")) + Price("OS-GL200", Sound("6", "0.5")) +
        // QuantityTo missing, blank, or named in upper case: 999999999
        Price("MN-L300", "<PriceEffectiveDate>1/1/2026</PriceEffectiveDate><PriceExpiryDate>2/3/2027</PriceExpiryDate>"
                         "<CurrencyCode>GBP</CurrencyCode><Price>3</Price>") +
        Price("MN-L300", "<PriceEffectiveDate>2/1/2026</PriceEffectiveDate><PriceExpiryDate>2/3/2027</PriceExpiryDate>"
                         "<CurrencyCode>GBP</CurrencyCode><Price>4</Price><QuantityTo> </QuantityTo>") +
        Price("MN-L300", "<PriceEffectiveDate>3/1/2026</PriceEffectiveDate><PriceExpiryDate>2/3/2027</PriceExpiryDate>"
                         "<CurrencyCode>GBP</CurrencyCode><Price>5</Price><QUANTITYTO>50</QUANTITYTO>") +
        Price("MN-B400", Sound())) + "</PriceList>";
    EXPECT_EQ(Import(NewPriceXml(), "p1/\\" + doc, {"OS-SH100", "OS-GL200", "MN-L300", "XX-9999"}),
              "(0..3) OS-SH100 OS-GL200 MN-L300 XX-9999");
    EXPECT_EQ(PriceRows(),
              "PRODUCTID=1 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=10.0 GROUPBY=null CURRENCYCODE=USD "
              "PRICE=12.5 DISCOUNTPERC=null DISCOUNTAMOUNT=1.0 PRICETAXPERCENTAGE=null FREIGHTCOST=null "
              "PRICEEXPIRYDATE=2026-12-31 00:00:00\n"
              "PRODUCTID=2 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=5.0 GROUPBY=null CURRENCYCODE=USD "
              "PRICE=10.0 DISCOUNTPERC=null DISCOUNTAMOUNT=1.0 PRICETAXPERCENTAGE=null FREIGHTCOST=null "
              "PRICEEXPIRYDATE=2026-12-31 00:00:00\n"
              "PRODUCTID=3 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=999999999.0 GROUPBY=null "
              "CURRENCYCODE=GBP PRICE=3.0 DISCOUNTPERC=null DISCOUNTAMOUNT=null PRICETAXPERCENTAGE=null "
              "FREIGHTCOST=null PRICEEXPIRYDATE=2027-02-03 00:00:00\n"
              "PRODUCTID=3 PRICEEFFECTIVEDATE=2026-02-01 00:00:00 QUANTITYTO=999999999.0 GROUPBY=null "
              "CURRENCYCODE=GBP PRICE=4.0 DISCOUNTPERC=null DISCOUNTAMOUNT=null PRICETAXPERCENTAGE=null "
              "FREIGHTCOST=null PRICEEXPIRYDATE=2027-02-03 00:00:00\n"
              "PRODUCTID=3 PRICEEFFECTIVEDATE=2026-03-01 00:00:00 QUANTITYTO=999999999.0 GROUPBY=null "
              "CURRENCYCODE=GBP PRICE=5.0 DISCOUNTPERC=null DISCOUNTAMOUNT=null PRICETAXPERCENTAGE=null "
              "FREIGHTCOST=null PRICEEXPIRYDATE=2027-02-03 00:00:00\n");
    // The unknown part number and the one not listed stay for the next batch.
    EXPECT_EQ(PartNumbersIn(RestFile("p1")), "XX-9999 MN-B400");
  });
}

TEST_F(PriceImport, TheRestFileFeedsTheNextBatchAndGoesWhenNothingIsLeft) {
  Run([&] {
    auto prices = NewPriceXml();
    Import(prices, "/\\" + Doc(Price("OS-SH100", Sound()) + Price("MN-B400", Sound())), {"OS-SH100"});
    Golden seen;
    seen.Add("rest file", PartNumbersIn(RestFile("")));
    // By its path (a file of the download folder), with the same prefix.
    seen.Add("list from the rest file", Import(prices, "/\\" + RestFile(""), {"MN-B400"}, true));
    seen.Add("rest file after", Read(RestFile(""))).Add("price lines", PriceCount());
    EXPECT_EQ(seen.Lines(),
              "rest file: MN-B400\nlist from the rest file: (0..0) MN-B400\nrest file after: (none)\nprice lines: 2\n");
  });
}

// An import finds the default group's line whether it was stored as Null
// or as '', and adds new ones as Null; a line's GROUPBY picks its group.
TEST_F(PriceImport, LinesOfTheDefaultGroupAreChangedNotDuplicated) {
  Exec("INSERT INTO CATALOGPRODUCTPRICE (PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, GROUPBY, CURRENCYCODE, PRICE)"
       " VALUES (1, '2026-01-01 00:00:00', 10, NULL, 'EUR', 1), (1, '2026-01-01 00:00:00', 20, '', 'EUR', 1),"
       " (1, '2026-01-01 00:00:00', 30, 'Contract', 'EUR', 1)");
  Run([&] {
    const std::string doc = Doc(
        Price("OS-SH100", Sound("10", "11")) + Price("OS-SH100", Sound("20", "12")) +
        Price("OS-SH100", Sound("30", "13")) + Price("OS-SH100", Sound("30", "14") + "<groupBy>contract</groupBy>") +
        // The key columns come from the arguments only; a missing date is day 0.
        Price("OS-SH100", "<PriceExpiryDate>1/1/2000</PriceExpiryDate><CurrencyCode>USD</CurrencyCode>"
                          "<Price>2</Price><PRODUCTID>4</PRODUCTID><DISCOUNTPERC>0.125</DISCOUNTPERC>"
                          "<PriceTaxPercentage>0.375</PriceTaxPercentage><QuantityTo>7</QuantityTo>"));
    auto prices = NewPriceXml();
    Import(prices, "/\\" + doc, {"OS-SH100"});
    const std::string rows = PriceRows();
    EXPECT_EQ(rows,
              "PRODUCTID=1 PRICEEFFECTIVEDATE=1899-12-30 00:00:00 QUANTITYTO=7.0 GROUPBY=null CURRENCYCODE=USD "
              "PRICE=2.0 DISCOUNTPERC=0.12 DISCOUNTAMOUNT=null PRICETAXPERCENTAGE=0.38 FREIGHTCOST=null "
              "PRICEEXPIRYDATE=2000-01-01 00:00:00\n"
              "PRODUCTID=1 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=10.0 GROUPBY=null CURRENCYCODE=USD "
              "PRICE=11.0 DISCOUNTPERC=null DISCOUNTAMOUNT=1.0 PRICETAXPERCENTAGE=null FREIGHTCOST=null "
              "PRICEEXPIRYDATE=2026-12-31 00:00:00\n"
              "PRODUCTID=1 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=20.0 GROUPBY= CURRENCYCODE=USD PRICE=12.0 "
              "DISCOUNTPERC=null DISCOUNTAMOUNT=1.0 PRICETAXPERCENTAGE=null FREIGHTCOST=null "
              "PRICEEXPIRYDATE=2026-12-31 00:00:00\n"
              "PRODUCTID=1 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=30.0 GROUPBY=null CURRENCYCODE=USD "
              "PRICE=13.0 DISCOUNTPERC=null DISCOUNTAMOUNT=1.0 PRICETAXPERCENTAGE=null FREIGHTCOST=null "
              "PRICEEXPIRYDATE=2026-12-31 00:00:00\n"
              "PRODUCTID=1 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=30.0 GROUPBY=contract CURRENCYCODE=USD "
              "PRICE=14.0 DISCOUNTPERC=null DISCOUNTAMOUNT=1.0 PRICETAXPERCENTAGE=null FREIGHTCOST=null "
              "PRICEEXPIRYDATE=2026-12-31 00:00:00\n");
    // Again: every line finds its row.
    Import(prices, "/\\" + doc, {"OS-SH100"});
    EXPECT_EQ(PriceRows(), rows);
  });
}

TEST_F(PriceImport, TheBudgetStopsBetweenPartNumbersAndTheListKeepsThoseHandled) {
  const std::string doc = Doc(Price("OS-SH100", Sound()) + Price("OS-GL200", Sound()) + Price("MN-L300", Sound()) +
                              Price("MN-B400", Sound()) + Price("XX-9999", Sound()));
  const std::vector<rt::Variant> all{"OS-SH100", "OS-GL200", "MN-L300", "MN-B400", "XX-9999"};
  Run([&] {
    // Started at 1000, read before each part number: 179.9 s still runs.
    const std::string handled = Import(WithClock({1000, 1000, 1179.9, 1180}), "b/\\" + doc, all);
    EXPECT_EQ(Golden().Add("handled", handled).Add("rest file", PartNumbersIn(RestFile("b"))).Lines(),
              "handled: (0..1) OS-SH100 OS-GL200\nrest file: MN-L300 MN-B400 XX-9999\n");
    // A list of another lower bound comes back from 0.
    rt::ArrayPtr list = rt::SafeArray::OneDim(5, 6);
    list->At(5) = rt::Variant("MN-L300");
    list->At(6) = rt::Variant("MN-B400");
    rt::Variant cut(list);
    WithClock({0})->UpdateInsertPricesFromXML("b/\\" + doc, false, cut);
    EXPECT_EQ(List(cut), "(0..1) MN-L300 MN-B400");
  });
}

// A failure keeps the rows written before it (their group is committed
// first) and leaves the list and the rest file as they were.
TEST_F(PriceImport, AFailureHalfWayKeepsTheRowsBeforeItAndTouchesNeitherListNorRestFile) {
  Exec("CREATE TRIGGER refuse BEFORE INSERT ON CATALOGPRODUCTPRICE WHEN NEW.PRICE = 13"
       " BEGIN SELECT RAISE(ABORT, 'refused'); END");
  Run([&] {
    Write(RestFile("f"), "old rest");
    auto prices = NewPriceXml();
    const std::string doc = Doc(Price("OS-SH100", Sound("1", "11")) + Price("OS-SH100", Sound("2", "12")) +
                                Price("OS-GL200", Sound("1", "13")) + Price("MN-L300", Sound()));
    rt::Variant list = Array({"OS-SH100", "OS-GL200", "MN-L300"});
    const rt::ComError e = RaisedBy([&] { prices->UpdateInsertPricesFromXML("f/\\" + doc, false, list); });
    EXPECT_EQ(e.number(), rt::hr::kConstraintViolation);
    Golden kept;
    kept.Add("prices", Scalar("SELECT GROUP_CONCAT(PRICE) FROM CATALOGPRODUCTPRICE")).Add("list", List(list));
    EXPECT_EQ(kept.Add("rest file", Read(RestFile("f"))).Lines(),
              "prices: 11.0,12.0\nlist: (0..2) OS-SH100 OS-GL200 MN-L300\nrest file: old rest\n");

    // A child that names no column fails the writer the same way.
    Exec("DROP TRIGGER refuse; DELETE FROM CATALOGPRODUCTPRICE");
    const std::string bad = Doc(Price("OS-SH100", Sound()) + Price("OS-GL200", Sound() + "<Remark>x</Remark>"));
    rt::Variant two = Array({"OS-SH100", "OS-GL200"});
    const rt::ComError unknown = RaisedBy([&] { prices->UpdateInsertPricesFromXML("f/\\" + bad, false, two); });
    const std::string notFound = "No field named 'REMARK' in the recordset.";
    EXPECT_EQ(unknown.description(),
              Block("800A0CC1", "Quarvel.PriceXML.UpdateInsertPricesFromXML",
                    Block("800A0CC1", "Quarvel.PriceXML.updateInsertPriceFromXMLFile2",
                          Block("800A0CC1", "Quarvel.PriceXML.InsertUpdatePrice", notFound))));
    EXPECT_EQ(
        Golden().Add("price lines", PriceCount()).Add("list", List(two)).Add("rest file", Read(RestFile("f"))).Lines(),
        "price lines: 1\nlist: (0..1) OS-SH100 OS-GL200\nrest file: old rest\n");
  });
}

// An amount that its column refuses (money's largest value lies beyond what
// the database keeps exactly) fails the writer as any failure does: the
// lines before it stay, the list and the rest file stay as they were, and
// nothing of it is stored; an amount just below the bound is kept exactly.
TEST_F(PriceImport, AnAmountBeyondTheBoundEndsTheBatchAndIsNotStored) {
  Run([&] {
    Write(RestFile("m"), "old rest");
    auto prices = NewPriceXml();
    const std::string doc =
        Doc(Price("OS-SH100", Sound("1", "99999999999.9999")) + Price("OS-GL200", Sound("1", "922337203685477.5807")) +
            Price("MN-L300", Sound()));
    rt::Variant list = Array({"OS-SH100", "OS-GL200", "MN-L300"});
    const rt::ComError e = RaisedBy([&] { prices->UpdateInsertPricesFromXML("m/\\" + doc, false, list); });
    const std::string overflow = "Arithmetic overflow error converting expression to data type money.";
    EXPECT_EQ(e.description(),
              Block("80040E57", "Quarvel.PriceXML.UpdateInsertPricesFromXML",
                    Block("80040E57", "Quarvel.PriceXML.updateInsertPriceFromXMLFile2",
                          Block("80040E57", "Quarvel.PriceXML.InsertUpdatePrice", overflow))));
    EXPECT_EQ(e.number(), static_cast<int32_t>(0x80040E57));
    EXPECT_EQ(Golden()
                  .Add("prices", Scalar("SELECT GROUP_CONCAT(PRODUCTID || ':' || PRICE) FROM CATALOGPRODUCTPRICE"))
                  .Add("list", List(list))
                  .Add("rest file", Read(RestFile("m")))
                  .Lines(),
              "prices: 1:99999999999.9999\nlist: (0..2) OS-SH100 OS-GL200 MN-L300\nrest file: old rest\n");
  });
}

// A rest file that cannot take its place (a folder holds its name) fails
// the batch with VB's error 75 and its own text; the rows stay written.
TEST_F(PriceImport, ARestFileThatCannotBeWrittenFailsWithPathFileAccessError) {
  std::filesystem::create_directories(RestFile("d") + "/inside");
  Run([&] {
    rt::Variant list = Array({"OS-SH100"});
    const std::string doc = Doc(Price("OS-SH100", Sound()) + Price("XX-9999", Sound()));
    const rt::ComError e = RaisedBy([&] { NewPriceXml()->UpdateInsertPricesFromXML("d/\\" + doc, false, list); });
    EXPECT_EQ(std::to_string(e.number()) + " " + e.description() + PriceCount(),
              "75 " + Block("4B", "Quarvel.PriceXML.UpdateInsertPricesFromXML", "Path/File access error") + "1");
  });
}

// The import runs outside any transaction and never votes: inside a
// caller's transaction it would wait for a lock that only this thread can
// give back, so it fails at once.
TEST_F(PriceImport, InsideACallersTransactionItFailsAtOnceAndLeavesTheCallersWorkAlone) {
  Run([&] {
    std::string failure;
    EXPECT_TRUE(CallerKeepsItsWork([&] {
      failure = Failure([&] {
        Import(Inner<IPriceXML>("Quarvel.PriceXML"), "/\\" + Doc(Price("OS-SH100", Sound())), {"OS-SH100"});
      });
    }));
    EXPECT_NE(failure.find("The database is locked by a transaction running on this thread"), std::string::npos)
        << failure;
    EXPECT_EQ(PriceCount(), "0");
  });
}

}  // namespace
