// What the price import refuses: prefixes, locations, documents that do not
// load, part numbers that would reach a query.
#include <set>

#include "tests/quarvel/price_xml_fixture.h"

namespace {

class PriceImportSafety : public PriceXmlTest {
 protected:
  // The batch fails with `number` and leaves list, prices and the download
  // folder alone.
  void RefusedWith(const std::string& argument, const std::string& number, bool isUrl = false) {
    rt::Variant list = Array({"OS-SH100"});
    const std::string entries = Entries();
    const std::string failure = Failure([&] { NewPriceXml()->UpdateInsertPricesFromXML(argument, isUrl, list); });
    EXPECT_EQ(Golden()
                  .Add("number", failure.substr(0, failure.find(' ')))
                  .Add("list", List(list))
                  .Add("price lines", PriceCount())
                  .Add("download folder", Entries())
                  .Lines(),
              "number: " + number + "\nlist: (0..0) OS-SH100\nprice lines: 0\ndownload folder: " + entries + "\n")
        << argument.substr(0, 80);
  }
  // The download folder's entries, sorted.
  std::string Entries() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Download())) names.insert(entry.path().filename());
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
    return text;
  }
  void SetUp() override {
    PriceXmlTest::SetUp();
    Write(Download() + "/old", "");
  }
};

TEST_F(PriceImportSafety, APrefixThatCannotNameARestFileFailsBeforeTheDocumentIsRead) {
  const std::string doc = Doc(Price("OS-SH100", Sound()));
  Run([&] {
    // Error 5 although the document part would not even load.
    for (const std::string& prefix : std::vector<std::string>{"a/b", "a\\b", std::string("a\0b", 3), "a\tb", "a\x7f", std::string(235, 'p')})
      RefusedWith(prefix + "/\\not xml", "5");
    RefusedWith("no separator" + doc, "5");
    // The longest prefix that fits in 255 bytes, and the first "/\" splits.
    rt::Variant list = Array({"OS-SH100"});
    NewPriceXml()->UpdateInsertPricesFromXML(std::string(234, 'p') + "/\\" + Doc(Price("OS-SH100", Sound()) +
                                                                                  Price("X/\\Y", Sound())),
                                             false, list);
    EXPECT_EQ(PartNumbersIn(RestFile(std::string(234, 'p'))), "X/\\Y");
  });
}

TEST_F(PriceImportSafety, DocumentsComeOnlyOverHttpOrFromTheDownloadFolder) {
  const std::string outside = sandbox_.Site() + "/prices.xml";
  Write(outside, Doc(Price("OS-SH100", Sound())));
  std::filesystem::create_symlink(outside, Download() + "/link.xml");
  Run([&] {
    for (const std::string& location : std::vector<std::string>{outside, Download() + "/../prices.xml", Download() + "/link.xml",
                                        "file://" + outside, "ftp://localhost/prices.xml"})
      RefusedWith("x/\\" + location, "800400D5", true);
  });
}

// A rest file is written beside the download folder's other files, through
// a name of its own: a link in its place is replaced, never followed.
TEST_F(PriceImportSafety, TheRestFileReplacesALinkInItsPlace) {
  const std::string target = sandbox_.Site() + "/target.txt";
  Write(target, "untouched");
  std::filesystem::create_symlink(target, RestFile("s"));
  Run([&] {
    Import(NewPriceXml(), "s/\\" + Doc(Price("XX-9999", Sound())), {"XX-9999"});
    Golden seen;
    seen.Add("link target", Read(target)).Add("rest file is a link", std::filesystem::is_symlink(RestFile("s")));
    seen.Add("rest file", PartNumbersIn(RestFile("s"))).Add("download folder", Entries());
    EXPECT_EQ(seen.Lines(),
              "link target: untouched\nrest file is a link: false\nrest file: XX-9999\n"
              "download folder: old remaining_prices_s.xml\n");
  });
}

TEST_F(PriceImportSafety, DocumentsThatDoNotLoadFailAndWriteNothing) {
  const std::string sound = Doc(Price("OS-SH100", Sound()));
  const std::string bomb =
      "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]><PriceList>" +
      Price("OS-SH100", Sound("&c;")) + "</PriceList>";
  const std::string huge = "<PriceList>" + Price(std::string(11 << 20, 'H'), Sound()) + Price("OS-SH100", Sound()) +
                           "</PriceList>";
  Run([&] {
    for (const std::string& doc : std::vector<std::string>{sound.substr(0, sound.size() / 2), "<PriceList>\xff\xfe</PriceList>", bomb, huge}) {
      RefusedWith("z/\\" + doc, "800400D5");
      bool isUrl = false;
      EXPECT_EQ(RaisedBy([&] { NewPriceXml()->GetCheckedPriceList(doc, isUrl); }).number(),
                static_cast<int32_t>(0x800400D5));
    }
  });
}

// Part numbers are compared in code: quotes work, and none selects more
// than its own elements.
TEST_F(PriceImportSafety, PartNumbersAreNeverPartOfAQuery) {
  Exec("INSERT INTO PRODUCT (PARTNUMBER, PRODUCTDESCRIPTION, BUYFROMPARTNUMBER) VALUES ('Q', 'Quoted', 'O''B\"1')");
  Run([&] {
    const std::string doc =
        Doc("<ProductPrice buyfrompartnumber=\"O'B&quot;1\">" + Sound() + "</ProductPrice>" +
            Price("OS-SH100", Sound()));
    EXPECT_EQ(Import(NewPriceXml(), "q/\\" + doc, {"' or '1'='1", "O'B\"1"}), "(0..1) ' or '1'='1 O'B\"1");
    EXPECT_EQ(Golden()
                  .Add("priced", Scalar("SELECT GROUP_CONCAT(PRODUCTID) FROM CATALOGPRODUCTPRICE"))
                  .Add("rest file", PartNumbersIn(RestFile("q")))
                  .Line(),
              "priced=" + Scalar("SELECT PRODUCTID FROM PRODUCT WHERE PARTNUMBER = 'Q'") + " rest file=OS-SH100");
  });
}

}  // namespace
