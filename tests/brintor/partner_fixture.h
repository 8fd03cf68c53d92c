// PartnerTest: an installation with the sample partners, carriers and
// countries, "Brintor.BusinessPartner" objects created by ProgID, and
// renderings of what they answer for golden comparisons.
//
// Sample partners: 1 Office Supplies Inc. (supplier S100, buyer1), 2
// Maschinenbau Nord GmbH (supplier S200), 3 Groothandel Zuid B.V. (customer
// C300, carrier ROAD, 2.5 %), 4 Riverside Hospital (customer C400 and credit
// card CC400, carrier AIR), 5 Own purchasing department (internal).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/recordset.h"
#include "interfaces/brintor_errors.h"
#include "interfaces/business_partner.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dictionary.h"
#include "runtime/registry.h"
#include "runtime/variant.h"
#include "tests/brintor/brintor_sandbox.h"

class PartnerTest : public ::testing::Test {
 public:
  // A partner object and its interface.
  struct Partner {
    rt::ObjectPtr object;
    IBusinessPartner* operator->() const { return dynamic_cast<IBusinessPartner*>(object.get()); }
  };

 protected:
  explicit PartnerTest(bool sample = true) : sandbox_(sample) {}
  void SetUp() override { rt::Err().Clear(); }

  void Exec(const std::string& sql) { sandbox_.Exec(sql); }
  template <class F>
  static void Run(F&& f) {
    BrintorSandbox::Run(std::forward<F>(f));
  }

  // A partner object as the host makes one: in a context of its own,
  // activated, in a transaction that each outermost call commits.
  static Partner NewPartner() {
    return Partner{rt::CreateRootObject("Brintor.BusinessPartner", std::make_shared<rt::Activity>())};
  }
  // Plain creation: no context, never activated.
  static Partner PlainPartner() { return Partner{rt::CreateObject("Brintor.BusinessPartner")}; }

  // Runs f and answers the error it raised.
  template <class F>
  static rt::ComError RaisedBy(F&& f) {
    try {
      f();
    } catch (const rt::ComError& e) {
      return e;
    }
    ADD_FAILURE() << "nothing was raised";
    return rt::ComError(0, "", "");
  }

  // The block that one handler adds around a description.
  static std::string Block(const char* number, const std::string& method, const std::string& description) {
    return std::string("\r\nERROR 0x") + number + "\r\n METHOD: " + method + "\r\n DESC: " + description + ".\r\n";
  }

  // The rows of a recordset, one a line, fields joined by "|" (Null as "null").
  static std::string Rows(const rt::ObjectPtr& object) {
    auto rs = std::dynamic_pointer_cast<data::Recordset>(object);
    if (!rs) return "(no recordset)";
    std::string text;
    if (rs->State() != data::kStateOpen) return text;
    if (!rs->Eof() || !rs->Bof()) rs->MoveFirst();
    for (; !rs->Eof(); rs->MoveNext()) {
      for (int32_t i = 0; i < rs->FieldCount(); ++i) {
        rt::Variant v = rs->Value(i);
        text += (i ? "|" : "") + (v.IsNull() ? std::string("null") : rt::CStr(v));
      }
      text += "\n";
    }
    return text;
  }

  // A scalar of the catalog database read with a plain SQLite handle.
  std::string Scalar(const std::string& sql) const {
    sqlite3* db = nullptr;
    sqlite3_open(sandbox_.CatalogPath().c_str(), &db);
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

  static rt::Variant Ids(std::vector<rt::Variant> ids) { return rt::Variant(rt::SafeArray::From(std::move(ids))); }

  BrintorSandbox sandbox_;
};

// An installation without sample data.
class EmptyPartnerTest : public PartnerTest {
 protected:
  EmptyPartnerTest() : PartnerTest(false) {}
};
