// Tests of loading documents: what the parser refuses, where `load` may read
// from, and the limits of downloads.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/common/suite_sandbox.h"
#include "tests/platform/http_listener.h"
#include "tests/platform/xml_support.h"

namespace {

namespace fs = std::filesystem;
using namespace xmltest;

const std::string kProhibited = "False [-2147467259] DTD is prohibited.";

class XmlLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(Downloads());
    // The local listener is reached directly whatever proxy the machine names.
    ::setenv("no_proxy", "127.0.0.1", 1);
    ::setenv("NO_PROXY", "127.0.0.1", 1);
  }
  std::string Downloads() const { return sandbox_.Dir() + "/XMLDownload"; }

  SuiteSandbox sandbox_;
  HttpListener server_;
  rt::ObjectPtr doc_ = NewDocument();
};

TEST_F(XmlLoad, AnyDocumentTypeDeclarationStopsTheParserBeforeItReadsOrFetchesAnything) {
  sandbox_.WriteFile(sandbox_.Dir() + "/secret.txt", "secret");
  server_.AnswerText("/evil.dtd", "200 OK", "", "<!ENTITY x 'fetched'>");
  const std::string cases[] = {
      // external entity
      "<!DOCTYPE a [<!ENTITY x SYSTEM 'file://" + sandbox_.Dir() + "/secret.txt'>]><a>&x;</a>",
      // billion laughs
      "<!DOCTYPE a [<!ENTITY l0 'ha'><!ENTITY l1 '&l0;&l0;&l0;&l0;&l0;&l0;&l0;&l0;'>"
      "<!ENTITY l2 '&l1;&l1;&l1;&l1;&l1;&l1;&l1;&l1;'><!ENTITY l3 '&l2;&l2;&l2;&l2;&l2;&l2;'>]>"
      "<a>&l3;&l3;&l3;&l3;</a>",
      // external DTD, by URL and as a parameter entity
      "<!DOCTYPE a SYSTEM '" + server_.Url("/evil.dtd") + "'><a>&x;</a>",
      "<!DOCTYPE a [<!ENTITY % p SYSTEM '" + server_.Url("/evil.dtd") + "'>%p;]><a>&x;</a>",
      // a harmless one
      "<?xml version='1.0'?><!DOCTYPE a><a/>",
  };
  for (const std::string& text : cases) {
    EXPECT_EQ(LoadXml(doc_, text), kProhibited) << text;
    EXPECT_TRUE(doc_->GetProperty("documentElement").IsNothing());
  }
  EXPECT_EQ(server_.Requests(), 0);

  // The same from a file of the download folder.
  sandbox_.WriteFile(Downloads() + "/dtd.xml", cases[0]);
  EXPECT_EQ(Load(doc_, Downloads() + "/dtd.xml"), kProhibited);
  // An entity never declared is a plain error: nothing expands it.
  EXPECT_EQ(LoadXml(doc_, "<a>&x;</a>"), "False [-2147467259] Entity 'x' not defined");
}

TEST_F(XmlLoad, LocalPathsOnlyInsideTheDownloadFolderAndNoSchemeButHttp) {
  sandbox_.WriteFile(sandbox_.Dir() + "/outside.xml", "<a>outside</a>");
  sandbox_.WriteFile(Downloads() + "/inside.xml", "<a>inside</a>");
  fs::create_symlink(sandbox_.Dir() + "/outside.xml", Downloads() + "/link.xml");
  const std::string refused = "False [-2147467259] Access to this location is refused: ";
  const std::string cases[] = {
      sandbox_.Dir() + "/outside.xml",
      Downloads() + "/../outside.xml",
      Downloads() + "/link.xml",
      Downloads(),
      "file://" + Downloads() + "/inside.xml",
      "FILE:" + Downloads() + "/inside.xml",
      "ftp://127.0.0.1/inside.xml",
      "inside.xml",
      Downloads() + "/inside.xml" + std::string(1, '\0') + "x",
      "",
  };
  for (const std::string& location : cases) EXPECT_EQ(Load(doc_, location), refused + location);

  EXPECT_EQ(Load(doc_, Downloads() + "/inside.xml"), "True");
  EXPECT_EQ(Str(Obj(doc_->GetProperty("documentElement"))->GetProperty("text")), "inside");
  EXPECT_EQ(Load(doc_, Downloads() + "/missing.xml"),
            "False [-2147467259] The file '" + Downloads() +
                "/missing.xml' cannot be read: No such file or directory");

  // Bytes from a file keep their declared encoding.
  sandbox_.WriteFile(Downloads() + "/latin1.xml",
                     "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE9</a>");
  EXPECT_EQ(Load(doc_, Downloads() + "/latin1.xml"), "True");
  EXPECT_EQ(Str(doc_->GetProperty("text")), "\xC3\xA9");

  // Without a configured installation no local path is readable.
  sandbox_.WriteConfig("[LOG]\nFile=" + sandbox_.LogPath() + "\n");
  EXPECT_EQ(Load(doc_, Downloads() + "/inside.xml"), refused + Downloads() + "/inside.xml");
}

TEST_F(XmlLoad, DownloadsFollowRedirectsOverHttpOnlyAndReportTheServersFailures) {
  server_.AnswerText("/prices.xml", "200 OK", "", "<prices><p/></prices>");
  server_.AnswerText("/moved", "302 Found", "Location: /prices.xml\r\n", "");
  server_.AnswerText("/to-file", "302 Found", "Location: file:///etc/passwd\r\n", "");
  server_.AnswerText("/loop", "302 Found", "Location: /loop\r\n", "");
  server_.AnswerText("/gone", "410 Gone", "", "<error/>");
  server_.AnswerText("/broken", "200 OK", "", "<prices>");

  EXPECT_EQ(Load(doc_, server_.Url("/prices.xml")), "True");
  EXPECT_EQ(Load(doc_, server_.Url("/moved")), "True");
  EXPECT_EQ(Str(Obj(doc_->GetProperty("documentElement"))->GetProperty("nodeName")), "prices");

  auto failed = [&](const std::string& path, const std::string& text) {
    return "False [-2147467259] The download of '" + server_.Url(path) + "' failed: " + text;
  };
  EXPECT_EQ(Load(doc_, server_.Url("/to-file")),
            failed("/to-file", "Protocol \"file\" not supported or disabled in libcurl"));
  EXPECT_TRUE(doc_->GetProperty("documentElement").IsNothing());
  EXPECT_EQ(Load(doc_, server_.Url("/loop")), failed("/loop", "Maximum (5) redirects followed"));
  EXPECT_EQ(Load(doc_, server_.Url("/gone")),
            "False [-2147467259] The server answered 410 for '" + server_.Url("/gone") + "'");
  EXPECT_EQ(Load(doc_, server_.Url("/broken")),
            "False [-2147467259] Premature end of data in tag prices line 1");

  std::string closed = "http://127.0.0.1:" + std::to_string(HttpListener::ClosedPort()) + "/x.xml";
  std::string outcome = Load(doc_, closed);
  std::string expected = "False [-2147467259] The download of '" + closed + "' failed: ";
  EXPECT_EQ(outcome.substr(0, expected.size()), expected);
  EXPECT_NE(outcome.find("Couldn't connect to server"), std::string::npos) << outcome;
}

TEST_F(XmlLoad, ADownloadStopsAt64MiBWhetherTheServerAnnouncesTheSizeOrNot) {
  const size_t limit = 64u * 1024 * 1024;
  server_.Answer("/announced", [&](int s) {
    HttpListener::Send(s, "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(limit + 1) +
                              "\r\n\r\n<a>");
  });
  server_.Answer("/streamed", [&](int s) {
    if (!HttpListener::Send(s, "HTTP/1.0 200 OK\r\n\r\n<a>")) return;
    const std::string chunk(256 * 1024, ' ');
    for (size_t sent = 0; sent <= limit; sent += chunk.size()) {
      if (!HttpListener::Send(s, chunk)) return;
    }
    HttpListener::Send(s, "</a>");
  });
  EXPECT_EQ(Load(doc_, server_.Url("/announced")), "False [-2147467259] The document exceeds 64 MiB");
  EXPECT_EQ(Load(doc_, server_.Url("/streamed")), "False [-2147467259] The document exceeds 64 MiB");
}

}  // namespace
