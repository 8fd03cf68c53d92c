// Brintor.User's mail to users, against a recording CDONTS.NewMail: what is
// set on the mail object and in which order, who is left out, and what the
// attachments that cannot be attached leave in the log; and, through the
// real one, directory addresses that it refuses.
#include <gmock/gmock.h>

#include <filesystem>
#include <iterator>

#include "tests/brintor/brintor_fixture.h"
#include "tests/common/recording_fake.h"

namespace {

using ::testing::ElementsAre;

class UserMail : public UserFixture {
 protected:
  // Each mail object created records into `log`; attaching a path holding
  // "missing" (or an empty one) fails as a missing file does.
  std::shared_ptr<RecordingFake::Log> log = std::make_shared<RecordingFake::Log>();
  FakeClass mail{"CDONTS.NewMail", [log = log] {
                   log->push_back("(new)");
                   auto fake = std::make_shared<RecordingFake>("NewMail", log);
                   fake->On("AttachFile", [](rt::Args& args) {
                     const std::string path = rt::CStr(args[0]);
                     if (path.empty() || path.find("missing") != std::string::npos)
                       rt::Raise(53, "", "File not found");
                     return rt::Variant();
                   });
                   return rt::ObjectPtr(fake);
                 }};

  void AddUsers() {
    AddUser("ann", {{"Email", rt::Variant("ann@example.com")}});
    AddUser("bob", {{"Email", rt::Variant("bob@example.com")}});
    AddUser("nomail", {{"Surname", rt::Variant("Nomail")}});
    AddUser("blanks", {{"Email", rt::Variant("   ")}});
  }
};

TEST_F(UserMail, SetsSenderRecipientTextAndFormatsInOrderThenSends) {
  Run([&] {
    AddUsers();
    auto user = NewUser();
    std::string to = "bob", from = "ann", subject = "Order 42", body = "Please approve.", files = "/a.pdf|/b.txt";
    user->SendEmailwithAttachment(to, from, subject, body, files);
    EXPECT_THAT(*log, ElementsAre("(new)", "Let From=String:ann@example.com", "Let To=String:bob@example.com",
                                  "Let Subject=String:Order 42", "Let Body=String:Please approve.",
                                  "Let BodyFormat=Long:1", "Let MailFormat=Long:0", "Call AttachFile(String:/a.pdf)",
                                  "Call AttachFile(String:/b.txt)", "Call Send()"));
    EXPECT_EQ(LogEntries(), 0);
  });
}

TEST_F(UserMail, FromIsLeftUnsetOrEmptyAndARecipientWithoutAddressGetsNothing) {
  Run([&] {
    AddUsers();
    auto user = NewUser();
    std::string to = "bob", none, nomail = "nomail", subject = "S", body = "B", files = "/a.pdf";
    user->SendEmail(to, none, subject, body);
    EXPECT_THAT(*log, ElementsAre("(new)", "Let To=String:bob@example.com", "Let Subject=String:S",
                                  "Let Body=String:B", "Let BodyFormat=Long:1", "Let MailFormat=Long:0",
                                  "Call Send()"));
    log->clear();
    user->SendEmail(to, nomail, subject, body);
    EXPECT_EQ(log->at(1), "Let From=String:");
    // The sender is resolved first; a blank or missing address sends nothing.
    for (std::string recipient : {"nomail", "blanks"}) {
      log->clear();
      std::string from = "ann";
      user->SendEmailwithAttachment(recipient, from, subject, body, files);
      EXPECT_THAT(*log, ElementsAre("(new)", "Let From=String:ann@example.com")) << recipient;
    }
    EXPECT_EQ(LogEntries(), 0);
  });
}

TEST_F(UserMail, EachFileThatCannotBeAttachedIsLoggedOnceAndTheMailStillGoes) {
  Run([&] {
    AddUsers();
    auto user = NewUser();
    std::string to = "bob", from = "ann", subject = "S", body = "B";
    // A "|" at the end and two in a row each give an empty path.
    std::string files = "/ok.pdf|/missing.pdf||/ok2.pdf|";
    user->SendEmailwithAttachment(to, from, subject, body, files);
    std::vector<std::string> attached(log->begin() + 7, log->end());
    EXPECT_THAT(attached, ElementsAre("Call AttachFile(String:/ok.pdf)", "Call AttachFile(String:/missing.pdf)",
                                      "Call AttachFile(String:)", "Call AttachFile(String:/ok2.pdf)",
                                      "Call AttachFile(String:)", "Call Send()"));
    EXPECT_EQ(LogEntriesWith("\\r\\n METHOD: Brintor.User.SendEmailWithAttachment\\r\\n"), 3);
    EXPECT_EQ(LogEntriesWith(" INFO: Attachment: /missing.pdf.\\r\\n"), 1);
    EXPECT_EQ(LogEntriesWith(" INFO: Attachment: .\\r\\n"), 2);
    EXPECT_EQ(rt::Err().number, 0);
  });
}

TEST_F(UserMail, AFailedSendOrAnUnknownRecipientReachesTheCallerUnchanged) {
  Run([&] {
    AddUsers();
    auto user = NewUser();
    std::string to = "bob", from = "ann", subject = "S", body = "B";
    FakeClass failing{"CDONTS.NewMail", [] {
                        auto fake = std::make_shared<RecordingFake>("NewMail", std::make_shared<RecordingFake::Log>());
                        fake->On("Send", [](rt::Args&) -> rt::Variant { rt::Raise(5, "CDONTS.NewMail", "refused"); });
                        return rt::ObjectPtr(fake);
                      }};
    EXPECT_EQ(Failure([&] { user->SendEmail(to, from, subject, body); }), "5 CDONTS.NewMail: refused");
    EXPECT_THAT(Failure([&] { user->SendEmail(Ref<std::string>("nobody"), from, subject, body); }),
                ::testing::HasSubstr("| METHOD: Utility.GetAUObject|"));
  });
}

// Through the real mail object into the installation's pickup folder: a
// directory address that is not blank yet holds no whole mail address is
// refused by the mail object, and the refusal reaches the caller with
// nothing sent, whether it is the recipient's or the sender's.
class UserMailDelivery : public UserFixture {
 protected:
  size_t Dropped() const {
    const std::filesystem::path pickup = sandbox_.Site() + "/mail/pickup";
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(pickup), {}));
  }
};

TEST_F(UserMailDelivery, AnAddressThatIsNoWholeMailAddressIsRefusedAndNothingIsSent) {
  Run([&] {
    AddUser("ann", {{"Email", rt::Variant("ann@example.com")}});
    const std::vector<std::string> emails{" ; ", ";", "a@b@c.example", "a@x.example, rm -rf /", "plainword"};
    for (size_t i = 0; i < emails.size(); ++i) {
      AddUser("odd" + std::to_string(i), {{"Email", rt::Variant(emails[i])}});
    }
    std::string ann = "ann", subject = "Order 42", body = "Please approve.";
    Golden seen;
    for (size_t i = 0; i < emails.size(); ++i) {
      std::string odd = "odd" + std::to_string(i);
      const int32_t to = RaisedBy([&] { NewUser()->SendEmail(odd, ann, subject, body); }).number();
      const int32_t from = RaisedBy([&] { NewUser()->SendEmail(ann, odd, subject, body); }).number();
      seen.Add("'" + emails[i] + "'", "to " + std::to_string(to) + ", from " + std::to_string(from) + ", " +
                                          std::to_string(Dropped()) + " sent");
    }
    NewUser()->SendEmail(ann, ann, subject, body);
    seen.Add("ann to ann", std::to_string(Dropped()) + " sent");
    EXPECT_EQ(seen.Lines(),
              "' ; ': to 5, from 5, 0 sent\n"
              "';': to 5, from 5, 0 sent\n"
              "'a@b@c.example': to 5, from 5, 0 sent\n"
              "'a@x.example, rm -rf /': to 5, from 5, 0 sent\n"
              "'plainword': to 5, from 5, 0 sent\n"
              "ann to ann: 1 sent\n");
  });
}

}  // namespace
