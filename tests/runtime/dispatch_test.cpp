// Tests of late-bound calls: member lookup, argument conversion, optional
// and by-reference arguments.
#include "runtime/dispatch.h"

#include <gtest/gtest.h>

#include <functional>

#include "runtime/dictionary.h"
#include "tests/runtime/error_of.h"

namespace rt {
namespace {

class Named : public Object {
 public:
  std::string get_Name() const { return name_; }
  void put_Name(const std::string& name) { name_ = name; }

 protected:
  std::string name_ = "unnamed";
};

class Widget : public Named {
 public:
  const DispatchTable* Dispatch() const override {
    static const DispatchTable kTable =
        DispatchBuilder<Widget>("Widget")
            .Method("Greet", &Widget::Greet)
            .Method("Sum", &Widget::Sum)
            .Method("Fill", &Widget::Fill)
            .Method("Describe", &Widget::Describe)
            .Method("Kinds", &Widget::Kinds)
            .Method("Pick", &Widget::Pick)
            .Method("First", &Widget::First)
            .Method("Rename", &Widget::Rename)
            .Method("Relay", &Widget::Relay)
            .Get("Name", &Widget::get_Name)
            .Let("Name", &Widget::put_Name)
            .Get("Size", &Widget::Size)
            .Default("Name")
            .Build();
    return &kTable;
  }

  // Writes both by-reference parameters; `times` is optional.
  std::string Greet(std::string& who, std::optional<int32_t> times, int16_t& calls) {
    who = "Hello " + who;
    ++calls;
    return who + " x" + std::to_string(times.value_or(1));
  }
  int32_t Sum(int32_t a, std::optional<int32_t> b) { return a + b.value_or(100); }
  void Fill(Variant& out, const Variant& tag) {
    out = tag.IsMissing() ? Variant("missing") : tag;
  }
  std::string Describe(uint8_t b, float f, double d, bool flag, Currency c, Date when) {
    return std::to_string(b) + "|" + CStr(f) + "|" + CStr(d) + "|" + (flag ? "T" : "F") + "|" +
           CStr(c) + "|" + CStr(when);
  }
  int32_t Kinds(std::shared_ptr<Widget> widget, ObjectPtr any, ArrayPtr array) {
    return (widget ? 1 : 0) + (any ? 10 : 0) + (array ? 100 : 0);
  }
  std::shared_ptr<Dictionary> Pick(std::optional<std::shared_ptr<Dictionary>>& target) {
    if (!target) return NewDictionary();
    if (!*target) *target = NewDictionary();
    return *target;
  }
  Variant First(const ArrayPtr& array) const { return array->At(array->LBound()); }
  void Rename(std::optional<std::string>& name) {
    if (name) *name += "!";
  }
  int32_t Size() const { return 3; }
  // Calls Sum on another object late-bound, with the caller's argument.
  int32_t Relay(ObjectPtr target, const Variant& a) { return CLng(target->Call("Sum", {a})); }
};

TEST(Dispatch, ByReferenceArgumentsComeBackToTheCaller) {
  auto w = std::make_shared<Widget>();
  Args args{"World", Variant::Missing(), int32_t{41}};
  Variant result = w->Invoke("greet", CallKind::Method, args);
  EXPECT_EQ(CStr(result), "Hello World x1");
  EXPECT_EQ(CStr(args[0]), "Hello World");
  ASSERT_EQ(args[2].Type(), VarType::Integer) << "a by-reference value comes back in its own type";
  EXPECT_EQ(CInt(args[2]), 42);
  EXPECT_TRUE(args[1].IsMissing());

  // A raw Variant& is the caller's value itself.
  Args fill{Variant(), "tag"};
  w->Call("Fill", {});  // both left out: no crash, nothing to write back
  w->Invoke("Fill", CallKind::Method, fill);
  EXPECT_EQ(CStr(fill[0]), "tag");
  Args fillMissing{Variant()};
  w->Invoke("Fill", CallKind::Method, fillMissing);
  EXPECT_EQ(CStr(fillMissing[0]), "missing");

  // An optional by-reference parameter: written back only when given.
  Args rename{"name"};
  w->Invoke("Rename", CallKind::Method, rename);
  EXPECT_EQ(CStr(rename[0]), "name!");
  Args pick{Variant::Missing()};
  EXPECT_TRUE(w->Invoke("Pick", CallKind::Method, pick).IsObject());
  EXPECT_TRUE(pick[0].IsMissing());
  Args pickNothing{Variant::Nothing()};
  ObjectPtr made = w->Invoke("Pick", CallKind::Method, pickNothing).AsObject();
  ASSERT_TRUE(pickNothing[0].IsObject());
  EXPECT_EQ(pickNothing[0].AsObject(), made);
}

TEST(Dispatch, OptionalMissingAndSurplusArguments) {
  auto w = std::make_shared<Widget>();
  EXPECT_EQ(CLng(w->Call("Sum", {1})), 101);
  EXPECT_EQ(CLng(w->Call("Sum", {1, Variant::Missing()})), 101);
  EXPECT_EQ(CLng(w->Call("Sum", {1, "2"})), 3);
  EXPECT_EQ(ErrorOf([&] { w->Call("Sum"); }), vberr::kArgumentNotOptional);
  EXPECT_EQ(ErrorOf([&] { w->Call("Sum", {Variant::Missing(), 2}); }), vberr::kArgumentNotOptional);
  EXPECT_EQ(ErrorOf([&] { w->Call("Sum", {1, 2, 3}); }), vberr::kWrongArgumentCount);
  EXPECT_EQ(ErrorOf([&] { w->GetProperty("Size", {1}); }), vberr::kWrongArgumentCount);
}

TEST(Dispatch, MemberLookupAndCallKinds) {
  auto w = std::make_shared<Widget>();
  EXPECT_EQ(ErrorOf([&] { w->Call("Nope"); }), vberr::kMethodNotSupported);
  EXPECT_EQ(ErrorOf([&] { w->Call("Siz"); }), vberr::kMethodNotSupported);    // a member's start
  EXPECT_EQ(ErrorOf([&] { w->Call("Size_"); }), vberr::kMethodNotSupported);  // longer than a member
  EXPECT_EQ(ErrorOf([&] { w->Call("S\xC3\x8DZE"); }), vberr::kMethodNotSupported);  // only ASCII letters fold
  EXPECT_EQ(ErrorOf([&] { w->LetProperty("Size", 4); }), vberr::kMethodNotSupported);

  // A property get is callable as a method and a method as a property get.
  EXPECT_EQ(CLng(w->Call("SIZE")), 3);
  EXPECT_EQ(CLng(w->GetProperty("sum", {1, 1})), 2);

  // The default member, reached through an empty name; inherited members.
  w->LetProperty("", "gadget");
  EXPECT_EQ(CStr(w->GetProperty("name")), "gadget");
  EXPECT_EQ(CStr(w->GetProperty("")), "gadget");

  Object plain;
  Args none;
  EXPECT_EQ(ErrorOf([&] { plain.Invoke("", CallKind::Get, none); }), vberr::kMethodNotSupported);
}

TEST(Dispatch, ArgumentsConvertWithVbRules) {
  auto w = std::make_shared<Widget>();
  Variant when = Variant(Date::FromParts(2024, 2, 29, 13, 5, 0));
  EXPECT_EQ(CStr(w->Call("Describe", {"7", "1.5", int16_t{2}, "True", "12.34567", when})),
            "7|1.5|2|T|12.3457|2024-02-29 13:05:00");
  EXPECT_EQ(ErrorOf([&] { w->Call("Describe", {256, 1, 1, 1, 1, when}); }), vberr::kOverflow);
  EXPECT_EQ(ErrorOf([&] { w->Call("Greet", {Variant::Null(), 1, 1}); }), vberr::kInvalidUseOfNull);

  // Objects: Nothing is a null pointer, the wrong class or no object is 13.
  auto other = std::make_shared<Widget>();
  auto array = SafeArray::From({Variant(5)});
  EXPECT_EQ(CLng(w->Call("Kinds", {other, other, array})), 111);
  EXPECT_EQ(CLng(w->Call("Kinds", {Variant::Nothing(), Variant::Nothing(), array})), 100);
  EXPECT_EQ(ErrorOf([&] { w->Call("Kinds", {NewDictionary(), other, array}); }),
            vberr::kTypeMismatch);
  EXPECT_EQ(ErrorOf([&] { w->Call("Kinds", {other, Variant(), array}); }),
            vberr::kTypeMismatch);
  EXPECT_EQ(ErrorOf([&] { w->Call("Kinds", {other, other, "a,b"}); }), vberr::kTypeMismatch);
  EXPECT_EQ(CLng(w->Call("First", {array})), 5);
}

// The argument a conversion failed on is noted for the outermost call
// only, so that a host can name it; every outermost call starts afresh.
TEST(Dispatch, TheOutermostCallNotesTheArgumentThatFailedToConvert) {
  auto w = std::make_shared<Widget>();
  auto other = std::make_shared<Widget>();
  Variant when = Variant(Date::FromParts(2024, 2, 29, 13, 5, 0));
  struct Case {
    const char* name;
    std::function<void()> call;
    size_t failed;
  };
  const std::vector<Case> cases = {
      {"no number first", [&] { w->Call("Sum", {"x"}); }, 1},
      {"no number second", [&] { w->Call("Sum", {1, "x"}); }, 2},
      {"a required one missing", [&] { w->Call("Sum", {Variant::Missing(), 2}); }, 1},
      {"no date last", [&] { w->Call("Describe", {7, 1, 1, 1, 1, "soon"}); }, 6},
      {"the wrong class", [&] { w->Call("Kinds", {NewDictionary(), other, SafeArray::From({Variant(5)})}); }, 1},
      {"a property's value", [&] { w->LetProperty("Name", Variant::Null()); }, 1},
      {"too many", [&] { w->Call("Sum", {1, 2, 3}); }, 0},
      {"no such member", [&] { w->Call("Nope", {"x"}); }, 0},
      {"a call inside the member", [&] { w->Call("Relay", {other, "x"}); }, 0},
      {"no object first", [&] { w->Call("Relay", {"x", 1}); }, 1},
  };
  for (const Case& c : cases) {
    EXPECT_NE(ErrorOf(c.call), 0) << c.name;
    EXPECT_EQ(FailedArgumentOfLastCall(), c.failed) << c.name;
  }
  w->Call("Sum", {1, 2});
  EXPECT_EQ(FailedArgumentOfLastCall(), 0u) << "a call that succeeds after a failed one";
}

}  // namespace
}  // namespace rt
