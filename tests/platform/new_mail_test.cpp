// CDONTS.NewMail: the messages it drops into the pickup folder (whole files
// compared with their date, message id and boundary masked), and what it
// refuses: header injection, addresses it cannot write whole, files that
// are no regular files, too much to attach, formats it does not write, a
// missing pickup folder, and a write that fails half-way.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "runtime/com_error.h"
#include "runtime/registry.h"
#include "tests/common/golden.h"
#include "tests/common/raised_by.h"
#include "tests/common/suite_sandbox.h"

namespace {

namespace fs = std::filesystem;

class NewMailTest : public ::testing::Test {
 protected:
  NewMailTest() : pickup_(fs::path(sandbox_.Dir()) / "pickup"), files_(fs::path(sandbox_.Dir()) / "files") {
    fs::create_directory(pickup_);
    fs::create_directory(files_);
    UsePickupFolder(pickup_.string());
  }

  void UsePickupFolder(const std::string& folder) {
    sandbox_.WriteConfig("[INSTALL]\nDir=" + sandbox_.Dir() + "\n[LOG]\nFile=" + sandbox_.LogPath() +
                         "\n[MAIL]\nPickupDir=" + folder + "\n");
  }

  static rt::ObjectPtr Mail(const std::string& to = "bob@example.com") {
    rt::ObjectPtr mail = rt::CreateObject("CDONTS.NewMail");
    mail->LetProperty("From", rt::Variant("ann@example.com"));
    mail->LetProperty("To", rt::Variant(to));
    mail->LetProperty("Subject", rt::Variant("Order 42"));
    mail->LetProperty("Body", rt::Variant("Please approve.\nThanks"));
    return mail;
  }

  std::string File(const std::string& name, const std::string& text) {
    const fs::path path = files_ / name;
    testfs::WriteFile(path, text);
    return path.string();
  }

  // Every name in the pickup folder, hidden ones included.
  std::vector<std::string> Dropped() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(pickup_)) names.push_back(entry.path().filename().string());
    return names;
  }

  // The one message dropped, with what changes from run to run masked.
  std::string Message() const {
    const std::vector<std::string> names = Dropped();
    if (names.size() != 1) return "(" + std::to_string(names.size()) + " files)";
    if (!std::regex_match(names[0], std::regex("[0-9a-f]{32}\\.eml"))) return "(file named " + names[0] + ")";
    std::string text = testfs::ReadFile(pickup_ / names[0]);
    text = std::regex_replace(text, std::regex("Date: [^\r]*"), "Date: DATE");
    text = std::regex_replace(text, std::regex("Message-ID: <[^@>]+@[^>]+>"), "Message-ID: <ID>");
    std::smatch boundary;
    if (std::regex_search(text, boundary, std::regex("boundary=\"([^\"]+)\""))) {
      const std::string b = boundary[1];
      for (size_t at; (at = text.find(b)) != std::string::npos;) text.replace(at, b.size(), "BOUNDARY");
    }
    return text;
  }

  SuiteSandbox sandbox_;
  fs::path pickup_, files_;
};

TEST_F(NewMailTest, APlainMessageWithAnEncodedSubject) {
  rt::ObjectPtr mail = Mail("bob@example.com;carol@example.com");
  mail->LetProperty("Subject", rt::Variant("Gr\xC3\xBC\xC3\x9F" "e"));
  mail->LetProperty("Body", rt::Variant("Sch\xC3\xB6n\nline two\rline three\r\n"));
  mail->Call("Send");
  EXPECT_EQ(Message(),
            "Date: DATE\r\n"
            "Message-ID: <ID>\r\n"
            "MIME-Version: 1.0\r\n"
            "To: bob@example.com, carol@example.com\r\n"
            "From: ann@example.com\r\n"
            "Subject: =?UTF-8?B?R3LDvMOfZQ==?=\r\n"
            "Content-Type: text/plain; charset=utf-8\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n"
            "\r\n"
            "Sch=C3=B6n\r\n"
            "line two\r\n"
            "line three\r\n");
}

TEST_F(NewMailTest, AttachmentsFollowTheBodyInTheOrderAttached) {
  rt::ObjectPtr mail = Mail();
  mail->LetProperty("From", rt::Variant(""));
  mail->Call("AttachFile", {rt::Variant(File("report.txt", "hello\n"))});
  mail->Call("AttachFile", {rt::Variant(File("data.bin", std::string("\0\1\2", 3))), rt::Variant("shown.bin"),
                            rt::Variant(int32_t{1})});
  mail->Call("Send");
  EXPECT_EQ(Message(),
            "Date: DATE\r\n"
            "Message-ID: <ID>\r\n"
            "MIME-Version: 1.0\r\n"
            "To: bob@example.com\r\n"
            "Subject: Order 42\r\n"
            "Content-Type: multipart/mixed; boundary=\"BOUNDARY\"\r\n"
            "\r\n"
            "--BOUNDARY\r\n"
            "Content-Type: text/plain; charset=utf-8\r\n"
            "\r\n"
            "Please approve.\r\n"
            "Thanks\r\n"
            "--BOUNDARY\r\n"
            "Content-Type: application/octet-stream; name=report.txt\r\n"
            "Content-Transfer-Encoding: base64\r\n"
            "Content-Disposition: attachment; filename=report.txt\r\n"
            "\r\n"
            "aGVsbG8K\r\n"
            "\r\n"
            "--BOUNDARY\r\n"
            "Content-Type: application/octet-stream; name=shown.bin\r\n"
            "Content-Transfer-Encoding: base64\r\n"
            "Content-Disposition: attachment; filename=shown.bin\r\n"
            "\r\n"
            "AAEC\r\n"
            "\r\n"
            "--BOUNDARY--\r\n");
}

TEST_F(NewMailTest, AHeaderInjectionOrAFormatItDoesNotWriteIsRefusedAndNothingIsWritten) {
  for (const char* header : {"From", "To", "Subject"}) {
    for (std::string bad : {std::string("x\r\nBcc: eve@example.com"), std::string("x\ny"), std::string("x\0y", 3)}) {
      rt::ObjectPtr mail = Mail();
      mail->LetProperty(header, rt::Variant(bad));
      rt::ComError e = RaisedBy([&] { mail->Call("Send"); });
      EXPECT_EQ(e.number(), 5) << header;
    }
  }
  // Nor does anything but plain text in MIME to a recipient go out.
  rt::ObjectPtr html = Mail(), text = Mail();
  html->LetProperty("BodyFormat", rt::Variant(int32_t{0}));
  text->LetProperty("MailFormat", rt::Variant(int32_t{1}));
  for (const rt::ObjectPtr& mail : {html, text, Mail(" ")}) EXPECT_EQ(RaisedBy([&] { mail->Call("Send"); }).number(), 5);
  EXPECT_TRUE(Dropped().empty());
}

// A sender, or any piece of the recipients, that is no mail address is
// refused like a header injection: the address would be lost, or its header
// written empty without a line end, the next header run into it. Blank
// pieces between ";"s are no addresses to refuse.
TEST_F(NewMailTest, AnAddressThatDoesNotParseIsRefusedAndNothingIsWritten) {
  struct Case {
    const char* header;
    const char* value;
  };
  for (const Case& c : std::vector<Case>{{"From", "not an address"},
                                         {"From", "@"},
                                         {"From", "<>"},
                                         {"To", "not an address"},
                                         {"To", "bob@example.com; rm -rf /"},
                                         {"To", "<>;bob@example.com"},
                                         {"To", "@"}}) {
    rt::ObjectPtr mail = Mail();
    mail->LetProperty(c.header, rt::Variant(c.value));
    rt::ComError e = RaisedBy([&] { mail->Call("Send"); });
    EXPECT_EQ(std::to_string(e.number()) + " " + std::to_string(Dropped().size()), "5 0") << c.header << ": " << c.value;
  }
  rt::ObjectPtr mail = Mail("Bob <bob@example.com>;; carol@example.com;");
  mail->LetProperty("From", rt::Variant("Ann Example <ann@example.com>"));
  mail->LetProperty("Body", rt::Variant("Hi"));
  mail->Call("Send");
  EXPECT_EQ(Message(),
            "Date: DATE\r\n"
            "Message-ID: <ID>\r\n"
            "MIME-Version: 1.0\r\n"
            "To: Bob <bob@example.com>, carol@example.com\r\n"
            "From: Ann Example <ann@example.com>\r\n"
            "Subject: Order 42\r\n"
            "Content-Type: text/plain; charset=utf-8\r\n"
            "\r\n"
            "Hi\r\n");
}

// Every piece of a sender or recipient text (between ";"s and ","s outside
// quoted strings) is written whole or the message is refused with 5, nothing
// written: no address is ever cut, changed or dropped. A text that is not
// blank but holds no address is refused as an empty recipient is.
TEST_F(NewMailTest, EachAddressIsWrittenWholeOrTheMessageIsRefused) {
  struct Case {
    const char* label;
    const char* header;
    std::string value;
  };
  const std::vector<Case> cases{
      {"to only separators", "To", " ; "},
      {"to one semicolon", "To", ";"},
      {"to one comma", "To", ","},
      {"from only separators", "From", " ; "},
      {"from one semicolon", "From", ";"},
      {"to a second at sign", "To", "a@b@c.example"},
      {"from a second at sign", "From", "a@b@c.example"},
      {"to a named second at sign", "To", "Ann <a@b@c.example>"},
      {"to a command after a comma", "To", "a@x.example, rm -rf /"},
      {"to no domain", "To", "plainword"},
      {"from no domain", "From", "plainword"},
      {"to an unquoted comma in a name", "To", "Smith, Ann <ann@example.com>"},
      {"to a comment", "To", "ann@example.com (Ann)"},
      {"to text after the address", "To", "Ann <ann@example.com> extra"},
      {"to a dot last", "To", "ann@example.com."},
      {"to blanks inside", "To", "ann @ example.com"},
      {"to a group", "To", "team: ann@example.com"},
      {"to an open quote", "To", "\"Ann <ann@example.com>"},
      {"to empty pieces between", "To", ";bob@example.com;; ,carol@example.com,"},
      {"to a comma inside quotes", "To", "\"Smith, Ann\" <ann@example.com>, bob@example.com"},
      {"to a quoted local part", "To", "\"a;b\"@example.com"},
      {"to a domain literal", "To", "a@[192.0.2.1]"},
      {"to names to quote or encode", "To", "A. Smith <a@example.com>; J\xC3\xBCrgen <j@example.com>"},
      {"from blanks", "From", " \t"},
      {"from one named", "From", "Ann <ann@example.com>"},
      {"from two", "From", "ann@example.com; Carol <carol@example.com>"},
      {"to the longest address", "To", std::string(242, 'a') + "@example.com"},
      {"to an address an octet too long", "To", "Ann <" + std::string(243, 'a') + "@example.com>"},
  };
  Golden seen;
  for (const Case& c : cases) {
    for (const auto& entry : fs::directory_iterator(pickup_)) fs::remove(entry.path());
    rt::ObjectPtr mail = Mail();
    mail->LetProperty(c.header, rt::Variant(c.value));
    std::string outcome;
    try {
      mail->Call("Send");
      std::smatch header;
      // Header lines unfolded: a long address goes on a line of its own.
      const std::string text = std::regex_replace(Message(), std::regex("\r\n[ \t]+"), " ");
      for (auto at = text.cbegin(); std::regex_search(at, text.cend(), header, std::regex("(To|From|Sender): [^\r]*"));
           at = header.suffix().first) {
        outcome += (outcome.empty() ? "" : " | ") + header.str();
      }
    } catch (const rt::ComError& e) {
      outcome = "refused " + std::to_string(e.number()) + ", " + std::to_string(Dropped().size()) + " files";
    }
    seen.Add(c.label, outcome);
  }
  EXPECT_EQ(seen.Lines(),
            "to only separators: refused 5, 0 files\n"
            "to one semicolon: refused 5, 0 files\n"
            "to one comma: refused 5, 0 files\n"
            "from only separators: refused 5, 0 files\n"
            "from one semicolon: refused 5, 0 files\n"
            "to a second at sign: refused 5, 0 files\n"
            "from a second at sign: refused 5, 0 files\n"
            "to a named second at sign: refused 5, 0 files\n"
            "to a command after a comma: refused 5, 0 files\n"
            "to no domain: refused 5, 0 files\n"
            "from no domain: refused 5, 0 files\n"
            "to an unquoted comma in a name: refused 5, 0 files\n"
            "to a comment: refused 5, 0 files\n"
            "to text after the address: refused 5, 0 files\n"
            "to a dot last: refused 5, 0 files\n"
            "to blanks inside: refused 5, 0 files\n"
            "to a group: refused 5, 0 files\n"
            "to an open quote: refused 5, 0 files\n"
            "to empty pieces between: To: bob@example.com, carol@example.com | From: ann@example.com\n"
            "to a comma inside quotes: To: \"Smith, Ann\" <ann@example.com>, bob@example.com | From: ann@example.com\n"
            "to a quoted local part: To: \"a;b\"@example.com | From: ann@example.com\n"
            "to a domain literal: To: a@[192.0.2.1] | From: ann@example.com\n"
            "to names to quote or encode: To: \"A. Smith\" <a@example.com>, =?iso-8859-1?q?J=FCrgen?= <j@example.com>"
            " | From: ann@example.com\n"
            "from blanks: To: bob@example.com\n"
            "from one named: To: bob@example.com | From: Ann <ann@example.com>\n"
            "from two: To: bob@example.com | From: ann@example.com, Carol <carol@example.com>"
            " | Sender: ann@example.com\n"
            "to the longest address: To: " +
                std::string(242, 'a') +
                "@example.com | From: ann@example.com\n"
                "to an address an octet too long: refused 5, 0 files\n");
}

// RFC 5322 allows 998 octets a line: a body with a longer line (a pasted
// paragraph) goes quoted-printable, whose soft breaks keep every line short.
TEST_F(NewMailTest, ABodyLineOver998OctetsIsSentQuotedPrintable) {
  struct Case {
    const char* what;
    std::string body;
    const char* encoding;
  };
  for (const Case& c : std::vector<Case>{{"998 octets", std::string(998, 'w'), "(none)"},
                                         {"999 octets", std::string(999, 'w'), "quoted-printable"},
                                         {"a long second line", "short\n" + std::string(1500, 'w'), "quoted-printable"}}) {
    for (const auto& entry : fs::directory_iterator(pickup_)) fs::remove(entry.path());
    rt::ObjectPtr mail = Mail();
    mail->LetProperty("Body", rt::Variant(c.body));
    mail->Call("Send");
    const std::string text = Message();
    std::smatch encoding;
    const std::string found = std::regex_search(text, encoding, std::regex("Content-Transfer-Encoding: ([^\r]*)"))
                                  ? encoding[1].str()
                                  : "(none)";
    size_t longest = 0;
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
      end = text.find("\r\n", start);
      if (end == std::string::npos) end = text.size();
      longest = std::max(longest, end - start);
    }
    EXPECT_EQ(found + (longest <= 998 ? "" : " overlong"), c.encoding) << c.what;
  }
}

TEST_F(NewMailTest, OnlyExistingRegularFilesUpTo25MiBTogetherCanBeAttached) {
  const fs::path fifo = files_ / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  rt::ObjectPtr mail = Mail();
  for (const std::string& path : {fifo.string(), (files_ / "missing.txt").string(), files_.string(), std::string()}) {
    rt::ComError e = RaisedBy([&] { mail->Call("AttachFile", {rt::Variant(path)}); });
    EXPECT_EQ(e.number(), 53) << path;
    EXPECT_EQ(e.description(), "File not found");
  }
  // A link to a regular file is the file.
  fs::create_symlink(File("real.txt", "x"), files_ / "link.txt");
  mail->Call("AttachFile", {rt::Variant((files_ / "link.txt").string())});

  // Attachments beyond 25 MiB together are refused.
  const std::string big = File("big.bin", "");
  ASSERT_EQ(::truncate(big.c_str(), (25 << 20) - 3), 0);
  mail->Call("AttachFile", {rt::Variant(big)});
  mail->Call("AttachFile", {rt::Variant(File("two.txt", "ab"))});
  rt::ComError e = RaisedBy([&] { mail->Call("AttachFile", {rt::Variant(File("one.txt", "a"))}); });
  EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80004005u);
}

TEST_F(NewMailTest, WithoutAPickupFolderNothingIsWritten) {
  for (const std::string& folder : {std::string(), (fs::path(sandbox_.Dir()) / "absent").string(),
                                    File("plain.txt", "not a folder")}) {
    UsePickupFolder(folder);
    rt::ComError e = RaisedBy([&] { Mail()->Call("Send"); });
    EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80004005u) << folder;
  }
  EXPECT_TRUE(Dropped().empty());
}

TEST_F(NewMailTest, AWriteThatFailsHalfWayLeavesNoFile) {
  // Files may grow to 1 KiB only while the message is written: the write
  // fails with EFBIG half-way through.
  rt::ObjectPtr mail = Mail();
  mail->LetProperty("Body", rt::Variant(std::string(8192, 'x')));
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit before{};
  ::getrlimit(RLIMIT_FSIZE, &before);
  rlimit small = before;
  small.rlim_cur = 1024;
  ::setrlimit(RLIMIT_FSIZE, &small);
  rt::ComError e = RaisedBy([&] { mail->Call("Send"); });
  ::setrlimit(RLIMIT_FSIZE, &before);
  EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80004005u);
  EXPECT_THAT(e.description(), ::testing::HasSubstr("cannot be written"));
  EXPECT_TRUE(Dropped().empty());
}

}  // namespace
