// Tests of the document tree: whitespace and text, node members, lists that
// survive removal and their document, XPath, saving and validation.
#include <gtest/gtest.h>

#include <filesystem>

#include "runtime/dispatch.h"
#include "tests/common/golden.h"
#include "tests/common/raised_by.h"
#include "tests/common/temp_folder.h"
#include "tests/platform/xml_support.h"

namespace {

namespace fs = std::filesystem;
using namespace xmltest;

rt::ObjectPtr Root(const rt::ObjectPtr& doc) { return Obj(doc->GetProperty("documentElement")); }
rt::ObjectPtr Item(const rt::ObjectPtr& list, int32_t i) {
  return Obj(list->Call("item", {rt::Variant(i)}));
}
int32_t Length(const rt::ObjectPtr& list) { return rt::CLng(list->GetProperty("length")); }

// Each node of a list as "name(type)=text", joined with " ".
std::string Render(const rt::ObjectPtr& list) {
  std::string text;
  for (int32_t i = 0; i < Length(list); ++i) {
    rt::ObjectPtr node = Item(list, i);
    if (!text.empty()) text += " ";
    text += Str(node->GetProperty("nodeName")) + "(" + Str(node->GetProperty("nodeType")) +
            ")=" + Str(node->GetProperty("text"));
  }
  return text;
}

TEST(XmlTree, BlankTextGoesUnlessPreservedAndTextJoinsDescendantsTrimmed) {
  rt::ObjectPtr doc = NewDocument();
  ASSERT_EQ(LoadXml(doc,
                    "<a>\n  <b> x  <i>y</i> </b>\n  <c xml:space=\"preserve\"> <d/> t </c>"
                    "<e><![CDATA[ cd ]]><!-- note --></e>\t<?pi data?>\n</a>"),
            "True");
  rt::ObjectPtr a = Root(doc);
  EXPECT_EQ(Render(Obj(a->GetProperty("childNodes"))),
            "b(1)=x  y c(1)=  t  e(1)=cd pi(7)=data");
  rt::ObjectPtr c = Item(Obj(a->GetProperty("childNodes")), 1);
  EXPECT_EQ(Render(Obj(c->GetProperty("childNodes"))), "#text(3)=  d(1)= #text(3)= t ");
  rt::ObjectPtr e = Item(Obj(a->GetProperty("childNodes")), 2);
  EXPECT_EQ(Render(Obj(e->GetProperty("childNodes"))), "#cdata-section(4)=cd #comment(8)= note ");
  EXPECT_EQ(Str(a->GetProperty("text")), "x  y  t  cd");
  EXPECT_EQ(Str(a->GetProperty("nodeTypedValue")), Str(a->GetProperty("text")));
  EXPECT_EQ(Str(doc->GetProperty("text")), "x  y  t  cd");
}

TEST(XmlTree, BlanksThatArePartOfALongerTextStayWhereverTheParserSplitsIt) {
  testfs::TempFolder folder;
  const std::string blanks(1000, ' ');
  rt::ObjectPtr doc = NewDocument();
  ASSERT_EQ(LoadXml(doc, "<a>" + blanks + "x&amp;  <b> \n</b>&#32;<c/>\t&#10;<d xml:space='preserve'>"
                         "<e> </e><f xml:space='default'> </f></d></a>"),
            "True");
  const std::string path = (folder.path() / "a.xml").string();
  doc->Call("save", {rt::Variant(path)});
  EXPECT_EQ(testfs::ReadFile(path), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a>" + blanks +
                                        "x&amp;  <b/><c/><d xml:space=\"preserve\"><e> </e>"
                                        "<f xml:space=\"default\"/></d></a>\n");
}

TEST(XmlTree, NodeMembersAnswerAsTheDomDoes) {
  rt::ObjectPtr doc = NewDocument();
  ASSERT_EQ(LoadXml(doc, "<r xmlns:q='urn:q'><q:p k='1' q:z='2'/><p>x</p></r>"), "True");
  rt::ObjectPtr r = Root(doc);
  rt::ObjectPtr p = Item(Obj(r->GetProperty("childNodes")), 0);
  EXPECT_EQ(Str(p->GetProperty("nodeName")), "q:p");
  EXPECT_EQ(Str(p->Call("getAttribute", {rt::Variant("k")})), "1");
  EXPECT_EQ(Str(p->Call("getAttribute", {rt::Variant("q:z")})), "2");
  EXPECT_TRUE(p->Call("getAttribute", {rt::Variant("z")}).IsNull());
  rt::ObjectPtr attributes = Obj(p->GetProperty("attributes"));
  rt::ObjectPtr k = Obj(attributes->Call("getNamedItem", {rt::Variant("k")}));
  EXPECT_EQ(Golden()
                .Add("nodeName", Str(k->GetProperty("nodeName")))
                .Add("nodeType", Str(k->GetProperty("nodeType")))
                .Add("text", Str(k->GetProperty("text")))
                .Line(),
            "nodeName=k nodeType=2 text=1");
  EXPECT_TRUE(attributes->Call("getNamedItem", {rt::Variant("none")}).IsNothing());
  EXPECT_FALSE(rt::CBool(p->Call("hasChildNodes")));

  rt::ObjectPtr top = Obj(r->GetProperty("parentNode"));
  EXPECT_EQ(Golden()
                .Add("nodeName", Str(top->GetProperty("nodeName")))
                .Add("nodeType", Str(top->GetProperty("nodeType")))
                .Line(),
            "nodeName=#document nodeType=9");
  EXPECT_TRUE(doc->GetProperty("parentNode").IsNothing());

  // Lists: by position (also the default member), Nothing out of range, For Each.
  rt::ObjectPtr all = Obj(doc->Call("getElementsByTagName", {rt::Variant("*")}));
  EXPECT_EQ(Render(all), "r(1)=x q:p(1)= p(1)=x");
  EXPECT_EQ(Str(Obj(all->GetProperty("", {rt::Variant(int32_t{1})}))->GetProperty("nodeName")), "q:p");
  EXPECT_TRUE(all->Call("item", {rt::Variant(int32_t{3})}).IsNothing());
  std::string walked;
  rt::Variant items = all->Call("_NewEnum");
  for (const rt::Variant& node : items.AsArray().data) {
    walked += Str(Obj(node)->GetProperty("nodeName")) + ";";
  }
  EXPECT_EQ(walked, "r;q:p;p;");
}

TEST(XmlTree, RemovingNodesWhileWalkingAListSkipsNoneAndKeepsThemReadable) {
  rt::ObjectPtr doc = NewDocument();
  ASSERT_EQ(LoadXml(doc,
                    "<doc><ProductPrice n='1'/><ProductPrice n='2'/><other/>"
                    "<g><ProductPrice n='3'/></g><ProductPrice n='4'/></doc>"),
            "True");
  rt::ObjectPtr list = Obj(doc->Call("selectNodes", {rt::Variant("//ProductPrice")}));
  std::string removed;
  for (int32_t i = 0; i < Length(list); ++i) {
    rt::ObjectPtr node = Item(list, i);
    Obj(node->GetProperty("parentNode"))->Call("removeChild", {rt::Variant(node)});
    removed += Str(node->Call("getAttribute", {rt::Variant("n")}));
    EXPECT_TRUE(node->GetProperty("parentNode").IsNothing());
  }
  EXPECT_EQ(removed, "1234");
  EXPECT_EQ(Length(list), 4);
  EXPECT_EQ(Length(Obj(doc->Call("getElementsByTagName", {rt::Variant("ProductPrice")}))), 0);
  EXPECT_EQ(Render(Obj(Root(doc)->GetProperty("childNodes"))), "other(1)= g(1)=");

  // A node that is not a child is refused, the tree unchanged.
  rt::ObjectPtr other = Item(Obj(Root(doc)->GetProperty("childNodes")), 0);
  rt::ComError e = RaisedBy([&] { other->Call("removeChild", {rt::Variant(Root(doc))}); });
  EXPECT_EQ(ErrorText(e), "-2147024809||The node to remove is not a child of this node.");
}

TEST(XmlTree, NodesAndListsKeepTheirDocumentAfterAReloadOrRelease) {
  rt::ObjectPtr doc = NewDocument();
  ASSERT_EQ(LoadXml(doc, "<a><b>one</b><b>two</b></a>"), "True");
  rt::ObjectPtr list = Obj(doc->Call("getElementsByTagName", {rt::Variant("b")}));
  rt::ObjectPtr first = Item(list, 0);

  // A failed load empties the document and says why; the old nodes live on.
  EXPECT_EQ(LoadXml(doc, "<a><b>"), "False [-2147467259] Premature end of data in tag b line 1");
  EXPECT_TRUE(doc->GetProperty("documentElement").IsNothing());
  EXPECT_EQ(Length(Obj(doc->GetProperty("childNodes"))), 0);
  EXPECT_EQ(LoadXml(doc, "<c/>"), "True");
  doc.reset();
  EXPECT_EQ(Str(Item(list, 1)->GetProperty("text")), "two");
  EXPECT_EQ(Str(Obj(first->GetProperty("parentNode"))->GetProperty("nodeName")), "a");
}

TEST(XmlTree, LoadXmlReadsItsTextAsUtf8WhateverTheDeclarationSays) {
  rt::ObjectPtr doc = NewDocument();
  for (const char* encoding : {"ISO-8859-1", "UTF-16"}) {
    std::string text = std::string("<?xml version=\"1.0\" encoding=\"") + encoding +
                       "\"?><a>gr\xC3\xBC\xC3\x9F \xE2\x82\xAC</a>";
    EXPECT_EQ(LoadXml(doc, text), "True") << encoding;
    EXPECT_EQ(Str(doc->GetProperty("text")), "gr\xC3\xBC\xC3\x9F \xE2\x82\xAC") << encoding;
  }
}

TEST(XmlTree, SelectNodesRunsXPathFromTheNodeAndRefusesWhatIsNoNodeSet) {
  rt::ObjectPtr doc = NewDocument();
  ASSERT_EQ(LoadXml(doc, "<r><p k='1'>a</p><g><p k='2'>b</p></g><p k='1'>c</p></r>"), "True");
  doc->Call("setProperty", {rt::Variant("SelectionLanguage"), rt::Variant("XPath")});
  EXPECT_EQ(Render(Obj(doc->Call("selectNodes", {rt::Variant("//p[@k='1']")}))), "p(1)=a p(1)=c");
  rt::ObjectPtr g = Item(Obj(Root(doc)->GetProperty("childNodes")), 1);
  EXPECT_EQ(Render(Obj(g->Call("selectNodes", {rt::Variant("p/@k")}))), "k(2)=2");
  EXPECT_EQ(Render(Obj(g->Call("selectNodes", {rt::Variant("../p/text()")}))), "#text(3)=a #text(3)=c");

  for (const char* expression : {"//p[", "count(//p)", "//x:p"}) {
    rt::ComError e = RaisedBy([&] { doc->Call("selectNodes", {rt::Variant(expression)}); });
    EXPECT_EQ(ErrorText(e), std::string("-2147467259||Invalid XPath expression: ") + expression);
  }
  rt::ComError e = RaisedBy([&] {
    doc->Call("setProperty", {rt::Variant("SelectionNamespaces"), rt::Variant("")});
  });
  EXPECT_EQ(e.number(), 5);
}

// A component of the suite that hands an expression on to the parser.
class Prober : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table =
        rt::DispatchBuilder<Prober>("Prober").Method("Select", &Prober::Select).Build();
    return &table;
  }
  void Select(const std::string& expression) {
    NewDocument()->Call("selectNodes", {rt::Variant(expression)});
  }
};

TEST(XmlTree, ParserErrorsAreNamedAfterTheCallingComponent) {
  rt::RegisterClass({"Probe.Prober", "", rt::TransactionAttribute::None,
                     [] { return rt::ObjectPtr(std::make_shared<Prober>()); }});
  rt::ObjectPtr prober = rt::CreateObject("Probe.Prober");
  rt::ComError e = RaisedBy([&] { prober->Call("Select", {rt::Variant("//[")}); });
  EXPECT_EQ(ErrorText(e), "-2147467259|Probe|Invalid XPath expression: //[");
}

TEST(XmlTree, SaveWritesUtf8WithDeclarationThroughATemporaryFile) {
  testfs::TempFolder folder;
  rt::ObjectPtr doc = NewDocument();
  ASSERT_EQ(LoadXml(doc,
                    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- c -->\n"
                    "<root>\n  <a x=\"1&amp;2\">\xC3\xA9 &lt; &#x20AC;</a>\n  <b/>\n</root>"),
            "True");
  rt::ObjectPtr b = Item(Obj(Root(doc)->GetProperty("childNodes")), 1);
  Root(doc)->Call("removeChild", {rt::Variant(b)});

  const std::string path = (folder.path() / "rest.xml").string();
  testfs::WriteFile(path, "an older file");
  doc->Call("save", {rt::Variant(path)});
  const std::string saved = testfs::ReadFile(path);
  EXPECT_EQ(saved,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- c -->\n"
            "<root><a x=\"1&amp;2\">\xC3\xA9 &lt; \xE2\x82\xAC</a></root>\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);

  rt::ObjectPtr again = NewDocument();
  ASSERT_EQ(LoadXml(again, saved), "True");
  again->Call("save", {rt::Variant(path)});
  EXPECT_EQ(testfs::ReadFile(path), saved);

  const std::string nowhere = (folder.path() / "missing" / "rest.xml").string();
  rt::ComError e = RaisedBy([&] { doc->Call("save", {rt::Variant(nowhere)}); });
  EXPECT_EQ(ErrorText(e), "-2147467259||The document could not be saved to '" + nowhere +
                              "': No such file or directory");
}

class XmlSchemas : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    std::string path = (folder_.path() / name).string();
    testfs::WriteFile(path, text);
    return path;
  }
  static std::string Schema(const std::string& extra = "") {
    return "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema'>" + extra +
           "<xs:element name='list'><xs:complexType><xs:sequence>"
           "<xs:element name='item' maxOccurs='unbounded'><xs:complexType><xs:sequence>"
           "<xs:element name='code' type='xs:string'/><xs:element name='title' type='xs:string'/>"
           "</xs:sequence></xs:complexType></xs:element>"
           "</xs:sequence></xs:complexType></xs:element></xs:schema>";
  }
  // "code reason" of validating `text` against the cache.
  std::string Validate(const std::string& text) {
    rt::ObjectPtr doc = NewDocument();
    EXPECT_EQ(LoadXml(doc, text), "True");
    rt::Args args{rt::Variant(cache_)};
    doc->Invoke("schemas", rt::CallKind::Set, args);
    rt::ObjectPtr error = Obj(doc->Call("validate"));
    return Str(error->GetProperty("")) + " " + Str(error->GetProperty("reason"));
  }

  testfs::TempFolder folder_;
  rt::ObjectPtr cache_ = rt::CreateObject("MSXML2.XMLSchemaCache");
};

TEST_F(XmlSchemas, ValidationAnswersLibxml2sFirstReason) {
  cache_->Call("Add", {rt::Variant(""), rt::Variant(Write("list.xsd", Schema()))});
  EXPECT_EQ(rt::CLng(cache_->GetProperty("length")), 1);
  EXPECT_EQ(Validate("<list><item><code>10</code><title>A</title></item></list>"), "0 ");
  EXPECT_EQ(Validate("<list><item><title>A</title><code>1</code></item></list>"),
            "-2147467259 Element 'title': This element is not expected. Expected is ( code ).");
  EXPECT_EQ(Validate("<q:list xmlns:q='urn:q'/>"),
            "-2147467259 No schema is known for the namespace 'urn:q'.");
}

TEST_F(XmlSchemas, ASchemaThatCannotBeReadLeavesTheCacheAsItWas) {
  cache_->Call("Add", {rt::Variant(""), rt::Variant(Write("list.xsd", Schema()))});
  const std::string missing = (folder_.path() / "none.xsd").string();
  const std::string cases[][2] = {
      {missing, "No such file or directory"},
      {Write("dtd.xsd", "<!DOCTYPE s SYSTEM 'http://127.0.0.1:1/s.dtd'>" + Schema()),
       "DTD is prohibited."},
      {Write("include.xsd", Schema("<xs:include schemaLocation='other.xsd'/>")),
       "a schema that includes or imports another schema is not supported"},
      {Write("broken.xsd", "<xs:schema xmlns:xs='http://www.w3.org/2001/XMLSchema'><xs:element/>"
                           "</xs:schema>"),
       "Element '{http://www.w3.org/2001/XMLSchema}element': The attribute 'name' is required but "
       "missing."},
  };
  for (const auto& [path, reason] : cases) {
    rt::ComError e = RaisedBy([&] { cache_->Call("Add", {rt::Variant(""), rt::Variant(path)}); });
    EXPECT_EQ(ErrorText(e), "-2147467259||The schema '" + path + "' could not be read: " + reason);
  }
  rt::ComError e = RaisedBy([&] {
    cache_->Call("Add", {rt::Variant("urn:other"), rt::Variant(Write("list.xsd", Schema()))});
  });
  EXPECT_EQ(e.description(), "The schema '" + Write("list.xsd", Schema()) +
                                 "' could not be read: its target namespace is '', not 'urn:other'");
  EXPECT_EQ(rt::CLng(cache_->GetProperty("length")), 1);
  EXPECT_EQ(Validate("<list/>"),
            "-2147467259 Element 'list': Missing child element(s). Expected is ( item ).");
}

}  // namespace
