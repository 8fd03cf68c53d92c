// The fixtures of the Brintor tests: a base over a fresh installation with
// the helpers every test uses (error capture, log and database reads,
// renderings for golden comparisons), and one fixture per class under test
// that creates its objects: CurrencyTest, PartnerTest, UserFixture. The
// write side's fixtures build on these in maintenance_fixture.h.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "data/recordset.h"
#include "data/sqlite_text_rules.h"
#include "interfaces/brintor_errors.h"
#include "interfaces/business_partner.h"
#include "interfaces/currency.h"
#include "interfaces/referential_integrity.h"
#include "interfaces/user.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dictionary.h"
#include "runtime/registry.h"
#include "runtime/variant.h"
#include "tests/brintor/brintor_sandbox.h"
#include "tests/common/golden.h"
#include "tests/common/raised_by.h"

// An object of a class under test seen through its interface I, and through
// the two maintenance interfaces where the class has them.
template <class I>
struct Maintained {
  rt::ObjectPtr object;
  I* operator->() const { return dynamic_cast<I*>(object.get()); }
  BusinessRules& Rules() const { return dynamic_cast<BusinessRules&>(*object); }
  IReferentialIntegrity& References() const { return dynamic_cast<IReferentialIntegrity&>(*object); }
};

class BrintorTest : public ::testing::Test {
 protected:
  explicit BrintorTest(bool sample = false) : sandbox_(sample) {}
  void SetUp() override { rt::Err().Clear(); }

  void Exec(const std::string& sql) { sandbox_.Exec(sql); }
  template <class F>
  static void Run(F&& f) {
    BrintorSandbox::Run(std::forward<F>(f));
  }
  // A temporary as the lvalue that a by-reference parameter takes.
  template <class T>
  static T& Ref(T&& value) {
    return value;
  }

  // The block that one handler adds around a description (the catalog
  // library's tests build their expected blocks with it).
  static std::string Block(const std::string& number, const std::string& method, const std::string& description,
                           const char* info = nullptr) {
    std::string text = "\r\nERROR 0x" + number + "\r\n METHOD: " + method + "\r\n DESC: " + description + ".\r\n";
    if (info) text += std::string(" INFO: ") + info + ".\r\n";
    return text;
  }

  // The failure a call raises as one line: "<hex number> <source>: <description>"
  // with each CR LF of a description block shown as "|".
  template <class F>
  static std::string Failure(F&& call) {
    rt::ComError e = RaisedBy(std::forward<F>(call));
    char number[16];
    std::snprintf(number, sizeof number, "%X", static_cast<uint32_t>(e.number()));
    return std::string(number) + " " + e.source() + ": " + std::regex_replace(e.description(), std::regex("\r\n"), "|");
  }

  static rt::Variant Array(std::vector<rt::Variant> items) {
    return rt::Variant(rt::SafeArray::From(std::move(items)));
  }

  // The renderings are public: the fixtures' free helpers use them too.
 public:
  // "KEY=Subtype:value" for each entry, in order, separated by "; ".
  static std::string Render(const rt::ObjectPtr& object) { return Golden::Entries(object); }

  // The rows of a recordset, one a line, fields joined by "|" (Null as "null").
  static std::string Rows(const rt::ObjectPtr& object) {
    auto rs = std::dynamic_pointer_cast<data::Recordset>(object);
    return rs ? Golden::Rows(*rs) : "(no recordset)";
  }

 protected:
  // A scalar of the catalog database (or of the file at `path`) read with a
  // plain SQLite handle.
  std::string Scalar(const std::string& sql, const std::string& path = {}) const {
    sqlite3* db = nullptr;
    sqlite3_open((path.empty() ? sandbox_.CatalogPath() : path).c_str(), &db);
    data::InstallSqlServerTextRules(db);
    sqlite3_stmt* st = nullptr;
    std::string text = "(error)";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
      text = sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0)
                 ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0))
                 : "";
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return text;
  }

  // The log's entries (one a line) whose line holds `text`.
  int LogEntriesWith(const std::string& text) const {
    std::ifstream in(sandbox_.LogPath(), std::ios::binary);
    int count = 0;
    for (std::string line; std::getline(in, line);) count += line.find(text) != std::string::npos;
    return count;
  }
  int LogEntries() const { return LogEntriesWith(""); }

  BrintorSandbox sandbox_;
};

// The currencies of the conversion examples: home HOM (1 per home unit, 2
// per euro), the euro EUR, ABC (4 per home unit), DEF tied to the euro (3
// per euro) and XYZ quoted per 100 units (1.5 per 100).
inline const char* const kExampleCurrencies =
    "INSERT INTO CURRENCY VALUES ('HOM', 'Home currency', 1, 0, 0, 2, 1033);"
    "INSERT INTO CURRENCY VALUES ('EUR', 'Euro', 0, 1, 0, 2, NULL);"
    "INSERT INTO CURRENCY VALUES ('ABC', 'Abc', 0, 0, 0, 2, NULL);"
    "INSERT INTO CURRENCY VALUES ('DEF', 'Def', 0, 0, 1, 2, NULL);"
    "INSERT INTO CURRENCY VALUES ('XYZ', 'Xyz', 0, 0, 0, 0, NULL);"
    "INSERT INTO CURRENCYRATE VALUES ('HOM', '2026-01-01 00:00:00', NULL, 1, 2, 1);"
    "INSERT INTO CURRENCYRATE VALUES ('ABC', '2026-01-01 00:00:00', NULL, 4, NULL, 1);"
    "INSERT INTO CURRENCYRATE VALUES ('DEF', '2026-01-01 00:00:00', NULL, NULL, 3, 1);"
    "INSERT INTO CURRENCYRATE VALUES ('XYZ', '2026-01-01 00:00:00', NULL, 1.5, NULL, 100);";

// An installation (without sample data unless asked) whose currency tables
// each test fills; "Brintor.Currency" objects created by ProgID.
class CurrencyTest : public BrintorTest {
 protected:
  explicit CurrencyTest(bool sample = false) : BrintorTest(sample) {}

  static std::shared_ptr<ICurrency> NewCurrency() {
    auto currency = std::dynamic_pointer_cast<ICurrency>(rt::CreateObject("Brintor.Currency"));
    if (!currency) throw std::runtime_error("Brintor.Currency does not implement ICurrency");
    return currency;
  }

  static rt::Date Day(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return rt::Date::FromParts(year, month, day, hour, minute, second);
  }

  static rt::Currency Money(double amount) { return rt::Currency::FromDouble(amount); }

  // "error <number>" as Convert answers a failure.
  static std::string Failed(BrintorError error) { return "error " + std::to_string(ErrorNumber(error)); }

  // Runs `body` on a new currency object after `sql` (when any) changed the tables.
  template <class F>
  void With(const std::string& sql, F&& body) {
    if (!sql.empty()) Exec(sql);
    Run([&] { body(*NewCurrency()); });
  }

  // ConvertAmount(from, to, amount, date) as the regional settings write the
  // result ("2.5", "300", "3.3333"), or "error <number>".
  static std::string Convert(ICurrency& c, std::string from, std::string to, double amount, rt::Date date) {
    rt::Currency money = Money(amount);
    try {
      return rt::CStr(rt::Variant(c.ConvertAmount(from, to, money, date)));
    } catch (const rt::ComError& e) {
      return "error " + std::to_string(e.number());
    }
  }
};

// The currency tables hold the example currencies.
class ExampleCurrencyTest : public CurrencyTest {
 protected:
  void SetUp() override {
    CurrencyTest::SetUp();
    Exec(kExampleCurrencies);
  }
};

// An installation with the sample partners, carriers and countries;
// "Brintor.BusinessPartner" objects created by ProgID.
//
// Sample partners: 1 Office Supplies Inc. (supplier S100, buyer1), 2
// Maschinenbau Nord GmbH (supplier S200), 3 Groothandel Zuid B.V. (customer
// C300, carrier ROAD, 2.5 %), 4 Riverside Hospital (customer C400 and credit
// card CC400, carrier AIR), 5 Own purchasing department (internal).
class PartnerTest : public BrintorTest {
 public:
  using Partner = Maintained<IBusinessPartner>;

 protected:
  explicit PartnerTest(bool sample = true) : BrintorTest(sample) {}

  // A partner object as the host makes one: in a context of its own,
  // activated, in a transaction that each outermost call commits.
  static Partner NewPartner() {
    return Partner{rt::CreateRootObject("Brintor.BusinessPartner", std::make_shared<rt::Activity>())};
  }
  // Plain creation: no context, never activated.
  static Partner PlainPartner() { return Partner{rt::CreateObject("Brintor.BusinessPartner")}; }
};

// An installation without sample data.
class EmptyPartnerTest : public PartnerTest {
 protected:
  EmptyPartnerTest() : PartnerTest(false) {}
};

// An installation without sample data, a web session account in the
// membership directory, and helpers to add directory users and change their
// attributes behind the directory's back.
class UserFixture : public BrintorTest {
 protected:
  using Attrs = std::vector<std::pair<std::string, rt::Variant>>;

  static constexpr const char* kAccount = "webadmin";
  static constexpr const char* kPassword = "s3cret";

  // Runs the test body on a fresh thread with the session account in place.
  template <class F>
  void Run(F&& body) {
    SetMembershipAccount();
    BrintorSandbox::Run([&] {
      AddUser(kAccount, {}, kPassword);
      body();
    });
  }

  // The membership script account is the session account.
  void SetMembershipAccount() {
    std::ifstream in(sandbox_.ConfigPath());
    std::stringstream text;
    text << in.rdbuf();
    std::string config = std::regex_replace(text.str(), std::regex("MemScriptUser=\\n"),
                                            std::string("MemScriptUser=") + kAccount + "\n");
    config = std::regex_replace(config, std::regex("MemScriptCode=\\n"),
                                std::string("MemScriptCode=") + kPassword + "\n");
    std::ofstream(sandbox_.ConfigPath(), std::ios::trunc) << config;
  }

  // A directory user made through the directory's own account creation.
  void AddUser(const std::string& id, const Attrs& attrs, const std::string& password = "pw") {
    std::vector<rt::Variant> names, values;
    for (const auto& [name, value] : attrs) {
      names.emplace_back(name);
      values.push_back(value);
    }
    rt::ObjectPtr members = rt::CreateObject("Pellorin.Members");
    members->Call("CreateUser", {rt::Variant(id), rt::Variant(password), Array(names), Array(values)});
  }

  // Sets one single-valued attribute straight in the directory's file.
  void SetAttribute(const std::string& id, const std::string& name, const std::string& value) {
    BrintorSandbox::ExecOn(sandbox_.DirectoryPath(),
                           "DELETE FROM DIRECTORYATTRIBUTE WHERE ENTRYKEY = lower('" + id + "') AND NAME = '" +
                               name + "'; INSERT INTO DIRECTORYATTRIBUTE VALUES (lower('" + id + "'), '" + name +
                               "', 0, '" + value + "');");
  }

  // A user object inside a context whose web session holds the credentials.
  std::shared_ptr<IUser> NewUser(const std::string& account = kAccount, const std::string& password = kPassword) {
    auto activity = std::make_shared<rt::Activity>();
    activity->session->SetItem("REMOTE_ACCOUNT", rt::Variant(account));
    activity->session->SetItem("REMOTE_PASSWORD", rt::Variant(password));
    object_ = rt::CreateRootObject("Brintor.User", activity);
    return std::dynamic_pointer_cast<IUser>(object_);
  }

  rt::Object& Late() { return *object_; }

  // The user's ProjectRole values as the directory's file holds them.
  std::string StoredRoles(const std::string& id) const {
    return Scalar("SELECT group_concat(VALUE, ',') FROM (SELECT VALUE FROM DIRECTORYATTRIBUTE WHERE ENTRYKEY = '" +
                      id + "' AND NAME = 'ProjectRole' ORDER BY SEQ)",
                  sandbox_.DirectoryPath());
  }

  rt::ObjectPtr object_;
};
