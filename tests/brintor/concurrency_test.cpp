// Eight threads, each with objects of its own, working on one installation
// for a couple of seconds: conversions, partner lookups, address writes and
// directory binds mixed. Nothing fails but the documented busy refusal (a
// lock not had within the busy timeout), and no write is lost.
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "tests/brintor/brintor_fixture.h"

namespace {

using Concurrency = PartnerTest;

TEST_F(Concurrency, EightThreadsMixingReadsAndWritesFailNothingAndLoseNoWrite) {
  constexpr int kThreads = 8;
  // 100 GBP in JPY on this day, with the sample rates.
  const rt::Date day = rt::Date::FromParts(2026, 12, 8);
  const std::string expected = "20782.0032";

  std::mutex mutex;
  std::vector<std::string> failures;
  std::atomic<int> written{0}, busy{0}, calls{0};
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      auto currency = std::dynamic_pointer_cast<ICurrency>(rt::CreateObject("Brintor.Currency"));
      auto bp = NewPartner();
      rt::ObjectPtr user = rt::CreateObject("Pellorin.User");
      for (int i = 0; std::chrono::steady_clock::now() < until; ++i) {
        try {
          switch ((i + t) % 4) {
            case 0: {
              std::string from = "GBP", to = "JPY";
              rt::Currency amount = rt::Currency::FromScaled(1000000);
              rt::Date date = day;
              const std::string got = rt::CStr(rt::Variant(currency->ConvertAmount(from, to, amount, date)));
              if (got != expected) throw std::runtime_error("converted to " + got);
              break;
            }
            case 1:
              if (bp->GetBusinessPartnerName(rt::Variant(int32_t{3})) != "Groothandel Zuid B.V.")
                throw std::runtime_error("wrong partner name");
              break;
            case 2: {
              auto address = rt::NewDictionary();
              address->Add(rt::Variant(static_cast<int16_t>(AddressFieldsEnum::NAME1)),
                           rt::Variant("Thread " + std::to_string(t) + " #" + std::to_string(i)));
              if (bp->AddNewAddressEx(address, rt::Variant(int32_t{2})) <= 0) throw std::runtime_error("no address id");
              ++written;
              break;
            }
            default:
              user->Call("Bind", {rt::Variant("buyer1"), rt::Variant("scriptuser"), rt::Variant("sample")});
              if (rt::CStr(user->Call("UserID")) != "buyer1") throw std::runtime_error("bound to another user");
          }
          ++calls;
        } catch (const rt::ComError& e) {
          if (e.description().find("database is locked") != std::string::npos) {
            ++busy;
          } else {
            std::lock_guard lock(mutex);
            failures.push_back(e.description());
          }
        } catch (const std::exception& e) {
          std::lock_guard lock(mutex);
          failures.push_back(e.what());
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();

  EXPECT_EQ(failures, std::vector<std::string>{});
  EXPECT_GT(calls.load(), kThreads * 4);
  // Every address written is there, with its link; the ones refused are not.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ADDRESS WHERE NAME1 LIKE 'Thread %'"), std::to_string(written.load()));
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS l JOIN ADDRESS a ON a.ADDRESSID = l.ADDRESSID "
                   "WHERE a.NAME1 LIKE 'Thread %' AND l.BUSINESSPARTNERID = 2"),
            std::to_string(written.load()));
  RecordProperty("calls", calls.load());
  RecordProperty("busy", busy.load());
}

}  // namespace
