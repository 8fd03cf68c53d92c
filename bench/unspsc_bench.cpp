// Benchmarks of the UNSPSC code tree, each against the same work done by
// hand in the same run:
//
// - TUNSPSC.UploadFromXML of a list of 10,000 codes with their commodities,
//   as one transaction, against libxml2 reading and validating the list
//   and sqlite3 running the upload's statement texts (prepare, step,
//   finalize) in one transaction. Target: at most 3x.
// - UNSPSCLib.UpdateProductCategoryLinksForUNSPSCCode for a new category
//   coded "43" over 20,000 products, in one transaction, against sqlite3
//   running the same query and inserts in one transaction. Target: at most 3x.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlschemas.h>
#include <sqlite3.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/sqlite_text_rules.h"
#include "interfaces/unspsc.h"
#include "quarvel/reference/unspsc_lib.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"

namespace {

constexpr int kCodes = 10000;
constexpr int kProducts = 20000;

// One installation for the whole run: the code list in its download folder
// and 20,000 products coded under 43.
struct Installation {
  BrintorSandbox box;
  std::string listPath;
  std::vector<std::pair<std::string, std::string>> list;  // code, description

  static Installation& Get() {
    static Installation installation;  // destroyed, with its folder, when the process ends
    return installation;
  }

 private:
  Installation() {
    // Segment 43, its 10 families, 100 classes and 9,889 commodities, each
    // parent before its children.
    list.emplace_back("43000000", "Segment 43");
    for (int f = 10; f < 20; ++f) list.emplace_back("43" + std::to_string(f) + "0000", "Family " + std::to_string(f));
    for (int f = 10; f < 20; ++f)
      for (int c = 10; c < 20; ++c)
        list.emplace_back("43" + std::to_string(f) + std::to_string(c) + "00", "Class " + std::to_string(c));
    for (int f = 10; f < 20 && static_cast<int>(list.size()) < kCodes; ++f)
      for (int c = 10; c < 20 && static_cast<int>(list.size()) < kCodes; ++c)
        for (int m = 1; m < 100 && static_cast<int>(list.size()) < kCodes; ++m) {
          const std::string code =
              "43" + std::to_string(f) + std::to_string(c) + (m < 10 ? "0" : "") + std::to_string(m);
          list.emplace_back(code, "Commodity " + code + " O'Brien & Co");
        }
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<UNSPSC_LIST>\n";
    for (const auto& [code, description] : list) {
      std::string text;
      for (char ch : description) text += ch == '&' ? std::string("&amp;") : std::string(1, ch);
      xml += "<UNSPSC_ITEM><UNSPSC_CODE>" + code + "</UNSPSC_CODE><UNSPSC_DESCRIPTION>" + text +
             "</UNSPSC_DESCRIPTION></UNSPSC_ITEM>\n";
    }
    xml += "</UNSPSC_LIST>\n";
    listPath = box.Site() + "/XMLDownload/codes.xml";
    std::ofstream(listPath, std::ios::binary) << xml;
    box.Exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kProducts) +
        ") INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, UNSPSCCODE) "
        "SELECT i, 'P' || i, '43' || printf('%06d', i % 1000 * 100 + 1) FROM n;"
        "INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, UNSPSCCODE) VALUES (30001, 'other', '44121704');");
  }
};

// --- the upload ----------------------------------------------------------------------

void ClearCodes() { Installation::Get().box.Exec("DELETE FROM UNSPSCCODES; DELETE FROM COMMODITY;"); }

void UploadFromXML(benchmark::State& state) {
  Installation& inst = Installation::Get();
  for (auto _ : state) {
    state.PauseTiming();
    ClearCodes();
    auto upload = std::dynamic_pointer_cast<ITUNSPSC>(
        rt::CreateRootObject("Quarvel.TUNSPSC", std::make_shared<rt::Activity>()));
    state.ResumeTiming();
    auto result = upload->UploadFromXML(inst.listPath, false, true);
    if (result->Count() != 0) state.SkipWithError("a code was not stored");
  }
  state.SetItemsProcessed(state.iterations() * kCodes);
}

std::string Quoted(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out;
}

void Run(sqlite3* db, const std::string& sql, bool& hasRow, int& changes) {
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
  hasRow = sqlite3_step(st) == SQLITE_ROW;
  sqlite3_finalize(st);
  changes = sqlite3_changes(db);
}

// The text of an element's only text child.
std::string Content(xmlNodePtr node) {
  xmlChar* text = xmlNodeGetContent(node);
  std::string s = text ? reinterpret_cast<const char*>(text) : "";
  xmlFree(text);
  return s;
}

// The upload by hand: the schema read and the list parsed and validated by
// libxml2, then for each item the statements the upload runs for a new
// code (the parent's row read, the code's row and its commodity inserted),
// in the upload's texts with SQLite's string literals.
void BaselineLibxml2AndSqlite(benchmark::State& state) {
  Installation& inst = Installation::Get();
  const std::string schemaPath = inst.box.Site() + "/xmlschemas/UNSPSC_Schema.xml";
  for (auto _ : state) {
    state.PauseTiming();
    ClearCodes();
    state.ResumeTiming();
    xmlDocPtr schemaDoc = xmlReadFile(schemaPath.c_str(), nullptr, XML_PARSE_NONET);
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewDocParserCtxt(schemaDoc);
    xmlSchemaPtr schema = xmlSchemaParse(parser);
    xmlDocPtr doc = xmlReadFile(inst.listPath.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOBLANKS);
    xmlSchemaValidCtxtPtr validator = xmlSchemaNewValidCtxt(schema);
    if (xmlSchemaValidateDoc(validator, doc) != 0) state.SkipWithError("invalid list");

    sqlite3* db = nullptr;
    sqlite3_open_v2(inst.box.CatalogPath().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    data::InstallSqlServerTextRules(db);
    sqlite3_busy_timeout(db, 15000);
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    bool hasRow = false;
    int changes = 0, stored = 0;
    for (xmlNodePtr item = xmlDocGetRootElement(doc)->children; item; item = item->next) {
      if (item->type != XML_ELEMENT_NODE) continue;
      const std::string code = Content(item->children), description = Quoted(Content(item->children->next));
      std::string parent, own;
      int level = 0;
      for (int i = 1; i <= 4; ++i) {
        if (code.compare(2 * (i - 1), 2, "00") != 0) {
          own = code.substr(2 * (i - 1), 2);
          parent = code.substr(0, 2 * (i - 1));
          level = i;
        }
      }
      if (!parent.empty()) {
        Run(db,
            "Select * from UNSPSCCODES WHERE PARENTCODE = '" + parent.substr(0, parent.size() - 2) +
                "' and UNSPSCCODE = '" + parent.substr(parent.size() - 2) + "'",
            hasRow, changes);
        if (!hasRow) continue;
      }
      Run(db,
          "INSERT INTO UNSPSCCODES VALUES ('" + parent + "','" + own + "'," + std::to_string(level) + ", '" +
              description + "')",
          hasRow, changes);
      Run(db, "INSERT INTO COMMODITY(COMMODITYCODE, DESCRIPTION) VALUES ('" + code + "', '" + description + "')",
          hasRow, changes);
      stored += changes;
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (stored != kCodes) state.SkipWithError("a code was not stored");
    xmlSchemaFreeValidCtxt(validator);
    xmlFreeDoc(doc);
    xmlSchemaFree(schema);
    xmlSchemaFreeParserCtxt(parser);
    xmlFreeDoc(schemaDoc);
  }
  state.SetItemsProcessed(state.iterations() * kCodes);
}

// --- the relinking of a new category -------------------------------------------------

// Runs a body as a method of an object that requires a transaction, as the
// category writer does.
class Writer : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table = rt::DispatchBuilder<Writer>("Writer").Method("Run", &Writer::Run).Build();
    return &table;
  }
  void Run() {
    rt::ContextScope scope(*this);
    body();
  }
  static inline std::function<void()> body;
};

void ClearLinks() { Installation::Get().box.Exec("DELETE FROM PRODUCTSBYCATEGORY;"); }

void NewCategoryLinks(benchmark::State& state) {
  Installation::Get();
  rt::RegisterClass({"Quarvel.BenchWriter", "", rt::TransactionAttribute::Required,
                     [] { return rt::ObjectPtr(std::make_shared<Writer>()); }});
  Writer::body = [] { quarvel::UNSPSCLib::UpdateProductCategoryLinksForUNSPSCCode(7, "", "43", true); };
  for (auto _ : state) {
    state.PauseTiming();
    ClearLinks();
    rt::ObjectPtr writer = rt::CreateRootObject("Quarvel.BenchWriter", std::make_shared<rt::Activity>());
    state.ResumeTiming();
    writer->Call("Run");
  }
  state.SetItemsProcessed(state.iterations() * kProducts);
}

// The same by hand: the product query, then one insert text per product,
// in one transaction.
void BaselineSqliteLinks(benchmark::State& state) {
  Installation& inst = Installation::Get();
  for (auto _ : state) {
    state.PauseTiming();
    ClearLinks();
    state.ResumeTiming();
    sqlite3* db = nullptr;
    sqlite3_open_v2(inst.box.CatalogPath().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    data::InstallSqlServerTextRules(db);
    sqlite3_busy_timeout(db, 15000);
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    std::vector<std::string> products;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT PRODUCTID FROM PRODUCT WHERE UNSPSCCODE LIKE '43%'", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) products.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    bool hasRow = false;
    int changes = 0, sequence = 0;
    for (const std::string& product : products)
      Run(db,
          "INSERT INTO PRODUCTSBYCATEGORY (PRODUCTID, CATEGORYID, SEQUENCE) VALUES (" + product + ", 7, " +
              std::to_string(++sequence) + ")",
          hasRow, changes);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (sequence != kProducts) state.SkipWithError("wrong product count");
  }
  state.SetItemsProcessed(state.iterations() * kProducts);
}

}  // namespace

BENCHMARK(BaselineLibxml2AndSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(UploadFromXML)->Unit(benchmark::kMillisecond);
BENCHMARK(BaselineSqliteLinks)->Unit(benchmark::kMillisecond);
BENCHMARK(NewCategoryLinks)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
