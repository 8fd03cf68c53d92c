// Tests of Scripting.Dictionary's and VB Collection's rules, called directly
// and late-bound.
#include "runtime/dictionary.h"

#include <gtest/gtest.h>

#include "runtime/com_error.h"
#include "runtime/registry.h"
#include "tests/common/golden.h"
#include "tests/runtime/error_of.h"

namespace rt {
namespace {

// "Subtype:key=Subtype:item" pairs in the dictionary's order.
std::string Render(const Dictionary& d) { return Golden::Entries(d, /*keyTypes=*/true); }

TEST(Dictionary, NumericKeysCompareByValueWhateverTheirSubtype) {
  Dictionary d;
  d.Add(int16_t{5}, "integer");
  EXPECT_TRUE(d.Exists(int32_t{5}));
  EXPECT_TRUE(d.Exists(Currency::FromScaled(50000)));
  EXPECT_FALSE(d.Exists("5"));
  EXPECT_FALSE(d.Exists(5.5));
  EXPECT_EQ(ErrorOf([&] { d.Add(int32_t{5}, "long"); }), vberr::kKeyAlreadyAssociated);

  d.Add("5", "text");
  d.Add(2.5, "double");
  d.Add(true, "boolean");
  EXPECT_TRUE(d.Exists(Currency::FromScaled(25000)));
  EXPECT_FALSE(d.Exists(int32_t{-1})) << "True is a key of its own";
  EXPECT_EQ(Render(d),
            "Integer:5=String:integer; String:5=String:text; Double:2.5=String:double; Boolean:True=String:boolean");
}

TEST(Dictionary, TextCompareFoldsCaseAndOnlyWhileEmptyMayChange) {
  Dictionary binary;
  binary.Add("Key", 1);
  EXPECT_FALSE(binary.Exists("KEY"));
  EXPECT_EQ(ErrorOf([&] { binary.SetCompareMode(1); }), vberr::kInvalidProcedureCall);

  Dictionary text;
  text.SetCompareMode(1);
  text.Add("Straße", 1);
  EXPECT_TRUE(text.Exists("STRAßE"));
  EXPECT_EQ(ErrorOf([&] { text.Add("strasse", 2); }), 0);
  EXPECT_EQ(ErrorOf([&] { text.Add("STRASSE", 3); }), vberr::kKeyAlreadyAssociated);
  // The key keeps the spelling it was added with.
  EXPECT_EQ(Render(text), "String:Straße=Long:1; String:strasse=Long:2");
}

TEST(Dictionary, ReadingAMissingItemAddsItEmptyAndFindDoesNot) {
  Dictionary d;
  EXPECT_EQ(d.Find("a"), nullptr);
  EXPECT_TRUE(d.Item("a").IsEmpty());
  EXPECT_TRUE(d.Exists("a"));
  d.SetItem("b", 2);
  d.SetItem("a", 1);
  EXPECT_EQ(Render(d), "String:a=Long:1; String:b=Long:2");
}

TEST(Dictionary, RemoveKeepsTheOrderOfTheRestAndKeyRenamesInPlace) {
  Dictionary d;
  for (int32_t i = 1; i <= 4; ++i) d.Add(i, i * 10);
  d.Remove(int16_t{2});
  d.Add(int32_t{2}, 99);
  EXPECT_EQ(Render(d), "Long:1=Long:10; Long:3=Long:30; Long:4=Long:40; Long:2=Long:99");
  EXPECT_EQ(ErrorOf([&] { d.Remove(7); }), 32811);
  d.SetKey(int32_t{3}, "three");
  EXPECT_EQ(ErrorOf([&] { d.SetKey(int32_t{1}, "three"); }), vberr::kKeyAlreadyAssociated);
  EXPECT_EQ(ErrorOf([&] { d.SetKey("zz", "y"); }), 32811);
  EXPECT_EQ(Render(d), "Long:1=Long:10; String:three=Long:30; Long:4=Long:40; Long:2=Long:99");

  const Variant keys = d.Keys();
  EXPECT_EQ(keys.AsArray().LBound(), 0);
  EXPECT_EQ(CLng(keys.AsArray().At(3)), 2);

  d.RemoveAll();
  EXPECT_EQ(d.Keys().AsArray().UBound(), -1);
  d.SetCompareMode(1);  // empty again
}

TEST(Dictionary, ObjectKeysByIdentityArraysRefused) {
  Dictionary d;
  auto a = NewDictionary();
  auto b = NewDictionary();
  d.Add(a, 1);
  EXPECT_TRUE(d.Exists(a));
  EXPECT_FALSE(d.Exists(b));
  EXPECT_EQ(ErrorOf([&] { d.Add(SafeArray::From({Variant(1)}), 2); }), vberr::kTypeMismatch);
}

TEST(Dictionary, LateBoundCalls) {
  ObjectPtr o = CreateObject("Scripting.Dictionary");
  o->Call("add", {"k", 1});
  EXPECT_EQ(CLng(o->GetProperty("", {"k"})), 1);
  EXPECT_TRUE(CBool(o->Call("Exists", {"k"})));

  Args let{"k", 5};
  o->Invoke("", CallKind::Let, let);
  Args set{"obj", Variant(NewDictionary())};
  o->Invoke("Item", CallKind::Set, set);
  Args rename{"k", "renamed"};
  o->Invoke("Key", CallKind::Let, rename);
  EXPECT_EQ(Render(*o->As<Dictionary>()), "String:renamed=Long:5; String:obj=Object:Dictionary");

  EXPECT_EQ(ErrorOf([&] { o->LetProperty("CompareMode", 1); }), vberr::kInvalidProcedureCall);
  EXPECT_EQ(ErrorOf([&] { o->Call("Item"); }), vberr::kArgumentNotOptional);
  o->Call("Remove", {"obj"});
  EXPECT_EQ(CStr(o->Call("Keys").AsArray().At(0)), "renamed");
  o->Call("RemoveAll");
  EXPECT_EQ(CLng(o->GetProperty("count")), 0);
}

TEST(Collection, OneBasedWithCaseInsensitiveKeysAndPlacement) {
  Collection c;
  c.Add("first", "A");
  c.Add("third");
  c.Add("second", "b", Variant::Missing(), "a");  // after key "a"
  c.Add("zeroth", Variant::Missing(), int32_t{1});
  ASSERT_EQ(c.Count(), 4);
  EXPECT_EQ(CStr(c.Item(1)), "zeroth");
  EXPECT_EQ(CStr(c.Item(2.0)), "first");
  EXPECT_EQ(CStr(c.Item("B")), "second");

  EXPECT_EQ(ErrorOf([&] { c.Add("again", "a"); }), vberr::kKeyAlreadyAssociated);
  EXPECT_EQ(ErrorOf([&] { c.Item(5); }), vberr::kInvalidProcedureCall);
  EXPECT_EQ(ErrorOf([&] { c.Item("nokey"); }), vberr::kInvalidProcedureCall);
  EXPECT_EQ(ErrorOf([&] { c.Add("x", Variant::Missing(), 1, 1); }), vberr::kInvalidProcedureCall);

  c.Remove("a");
  c.Remove(1);
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(CStr(c.Item(1)), "second");
  c.Add("first again", "A");  // the key is free again

  Args args{"b"};
  EXPECT_EQ(CStr(c.Invoke("", CallKind::Get, args)), "second");
  EXPECT_EQ(CLng(c.GetProperty("Count")), 3);
}

}  // namespace
}  // namespace rt
