// The fixture of the transactional currency writer's tests: writers made as
// the host makes them (a root with a transaction per outermost call) or
// plainly (no context), renderings of result objects and errors, table reads,
// and a creator whose transaction a writer joins to show its votes.
#pragma once

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "interfaces/referential_integrity.h"
#include "interfaces/solvane.h"
#include "interfaces/tcurrency.h"
#include "tests/brintor/brintor_fixture.h"

class TCurrencyTest : public CurrencyTest {
 public:
  struct Writer {
    rt::ObjectPtr object;
    ITCurrency* operator->() const { return dynamic_cast<ITCurrency*>(object.get()); }
    BusinessRules& Rules() const { return *dynamic_cast<BusinessRules*>(object.get()); }
    IReferentialIntegrity& References() const { return *dynamic_cast<IReferentialIntegrity*>(object.get()); }
  };

 protected:
  explicit TCurrencyTest(bool sample = false) : CurrencyTest(sample) {}

  // As the host makes it: the root of a context with a transaction of its own.
  static Writer NewWriter() {
    return Writer{rt::CreateRootObject("Brintor.TCurrency", std::make_shared<rt::Activity>())};
  }
  // Plain creation: no context, so no transaction and no votes.
  static Writer PlainWriter() { return Writer{rt::CreateObject("Brintor.TCurrency")}; }

  // "succeeded" or the result's codes joined by " | "; "(nothing)" for none.
  static std::string Outcome(const rt::ObjectPtr& result) {
    if (!result) return "(nothing)";
    auto outcome = std::dynamic_pointer_cast<IResultObject>(result);
    if (!outcome) return "(not a result object)";
    if (outcome->Succeeded()) return "succeeded";
    std::string text;
    const rt::Variant messages = outcome->GetMessages();
    for (const rt::Variant& code : messages.AsArray().data) {
      text += (text.empty() ? "" : " | ") + rt::CStr(code);
    }
    return text;
  }

  // "<number in hex> <source> <description>" of what the call raised, or "no error".
  template <class F>
  static std::string ErrorOf(F&& call) {
    try {
      call();
    } catch (const rt::ComError& e) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "%X", static_cast<uint32_t>(e.number()));
      return std::string(hex) + " " + e.source() + " " + e.description();
    }
    return "no error";
  }

  // The rows of a query on the catalog database, fields joined by "|", rows
  // by "; " (Null as "null").
  std::string Table(const std::string& sql) const {
    sqlite3* db = nullptr;
    sqlite3_open(sandbox_.CatalogPath().c_str(), &db);
    sqlite3_stmt* st = nullptr;
    std::string text;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) text = "(error)";
    while (st && sqlite3_step(st) == SQLITE_ROW) {
      if (!text.empty()) text += "; ";
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const unsigned char* v = sqlite3_column_text(st, i);
        text += (i ? "|" : "") + (v ? std::string(reinterpret_cast<const char*>(v)) : std::string("null"));
      }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return text;
  }
  std::string Rates(const std::string& code) const {
    return Table("SELECT EFFECTIVEDATE, EXPIRYDATE, HOMESALESRATE, EUROSALESRATE, RATEFACTOR FROM CURRENCYRATE "
                 "WHERE CURRENCYCODE = '" + code + "' ORDER BY EFFECTIVEDATE");
  }

  // A referential registry in the installation that lists a referrer of
  // currency codes; the transactional currency class itself answers True for
  // every existing code, so every delete of one is refused.
  void RefuseCurrencyDeletes() const {
    std::ofstream(sandbox_.Site() + "/references.ini", std::ios::trunc)
        << "[CURRENCY]\nKey=CURRENCYCODE\nOwner=Brintor.TCurrency\n"
        << "ReferredBy=Brintor.TCurrency:CURRENCY.CURRENCYCODE\n";
  }

  // How a transaction ends that a writer joins (as when a transactional
  // caller creates it through its context) when `call` is all it does:
  // "commit", "rollback", or "none".
  static std::string Vote(const std::function<void(Writer&)>& call) {
    struct Creator : rt::Object {};
    struct Probe : rt::TransactionResource {
      explicit Probe(std::string& o) : outcome(o) {}
      void Commit() override { outcome = "commit"; }
      void Rollback() override { outcome = "rollback"; }
      std::string& outcome;
    };
    auto creator = std::make_shared<Creator>();
    creator->AttachContext(std::make_shared<rt::ObjectContext>(std::make_shared<rt::Activity>(),
                                                               std::make_shared<rt::TransactionStream>()));
    Writer writer = PlainWriter();
    writer.object->AttachContext(creator->Context());
    std::string outcome = "none";
    {
      rt::ContextScope scope(*creator);
      rt::GetObjectContext()->CurrentTransaction()->Enlist("probe", std::make_shared<Probe>(outcome));
      try {
        call(writer);
      } catch (const rt::ComError&) {
      }
    }
    return outcome;
  }
};
