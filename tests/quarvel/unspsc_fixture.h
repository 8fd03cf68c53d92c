// The UNSPSC tests' fixture: the catalog library's installation fixture
// with the classes created as the host creates them, a transactional probe
// for the module procedures, the configuration and the download folder.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <string>

#include "interfaces/unspsc.h"
#include "runtime/context.h"
#include "tests/quarvel/reference_fixture.h"

namespace unspsctest {

class UNSPSCTest : public ReferenceTest {
 protected:
  explicit UNSPSCTest(bool sample = false) : ReferenceTest(sample) {}

  // The code rows, then the commodities.
  std::string Stored() const {
    return Rows("SELECT PARENTCODE, UNSPSCCODE, LEVELNUMBER, DESCRIPTION FROM UNSPSCCODES ORDER BY 1, 2") +
           Rows("SELECT 'commodity ' || COMMODITYCODE, DESCRIPTION FROM COMMODITY ORDER BY 1");
  }

  // Each the root of a context of its own (TUNSPSC's transaction ends with
  // each outermost call).
  static std::shared_ptr<IUNSPSC> NewUNSPSC() {
    return std::dynamic_pointer_cast<IUNSPSC>(rt::CreateRootObject("Quarvel.UNSPSC", std::make_shared<rt::Activity>()));
  }
  static std::shared_ptr<ITUNSPSC> NewTUNSPSC() {
    return std::dynamic_pointer_cast<ITUNSPSC>(rt::CreateRootObject("Quarvel.TUNSPSC", std::make_shared<rt::Activity>()));
  }
  // Runs `body` in a catalog object requiring a transaction, which the
  // body's connections join and its votes decide.
  static void InTransaction(std::function<void()> body) {
    quarveltest::AsRootProbe("Quarvel.TestTransactionalProbe", rt::TransactionAttribute::Required, std::move(body));
  }

  void BreakConnectionString() const { Configure("Quarvel", "Provider=SQLite;Data Source=/nowhere/catalog.db"); }
  static constexpr const char* kNoDatabase =
      "80004005 SQLite: |ERROR 0x80004005| METHOD: %s| DESC: Cannot open the database '/nowhere/catalog.db': "
      "unable to open database file.|";
  static std::string NoDatabase(const std::string& method) {
    return std::regex_replace(kNoDatabase, std::regex("%s"), method);
  }

  std::string DownloadPath(const std::string& name) const { return sandbox_.Site() + "/XMLDownload/" + name; }
  void WriteDownload(const std::string& name, const std::string& text) const {
    std::ofstream(DownloadPath(name), std::ios::binary | std::ios::trunc) << text;
  }
};

// With the sample codes (db/sample/06_unspsc.sql).
class SampleUNSPSCTest : public UNSPSCTest {
 protected:
  SampleUNSPSCTest() : UNSPSCTest(true) {}
};

}  // namespace unspsctest
