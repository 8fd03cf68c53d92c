// Builds a class's dispatch table from its C++ member functions, so that
// the same methods serve late-bound callers and C++ callers alike.
//
//   static const rt::DispatchTable kTable = rt::DispatchBuilder<Currency>("Currency")
//       .Method("ConvertAmount", &Currency::ConvertAmount)
//       .Get("Code", &Currency::get_Code)
//       .Let("Code", &Currency::put_Code)
//       .Build();
//
// Parameters are converted from the caller's Variants with VB's rules:
//   T              by value: converted, a missing argument fails with 449
//   const T&       the same
//   T&             by reference: converted, the new value goes back to the caller
//   std::optional<T>  optional: empty when the caller left it out
//   Variant&, const Variant&, Variant: bound to the caller's value as it is
//                  (Variant::Missing() when left out)
#pragma once

#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>

#include "runtime/com_error.h"
#include "runtime/object.h"

namespace rt {

template <>
std::string FromVariant<std::string>(const Variant& v);
template <>
int16_t FromVariant<int16_t>(const Variant& v);
template <>
int32_t FromVariant<int32_t>(const Variant& v);
template <>
uint8_t FromVariant<uint8_t>(const Variant& v);
template <>
float FromVariant<float>(const Variant& v);
template <>
double FromVariant<double>(const Variant& v);
template <>
bool FromVariant<bool>(const Variant& v);
template <>
Currency FromVariant<Currency>(const Variant& v);
template <>
Decimal FromVariant<Decimal>(const Variant& v);
template <>
Date FromVariant<Date>(const Variant& v);
template <>
ObjectPtr FromVariant<ObjectPtr>(const Variant& v);
template <>
ArrayPtr FromVariant<ArrayPtr>(const Variant& v);
template <>
inline Variant FromVariant<Variant>(const Variant& v) {
  return v;
}

namespace detail {

template <class T>
struct IsSharedPtr : std::false_type {};
template <class T>
struct IsSharedPtr<std::shared_ptr<T>> : std::true_type {
  using element = T;
};

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {
  using element = T;
};

template <class D>
D Convert(const Variant& v) {
  if constexpr (IsSharedPtr<D>::value && !std::is_same_v<D, ObjectPtr> &&
                !std::is_same_v<D, ArrayPtr>) {
    ObjectPtr o = FromVariant<ObjectPtr>(v);
    if (!o) return nullptr;
    auto typed = std::dynamic_pointer_cast<typename IsSharedPtr<D>::element>(o);
    if (!typed) RaiseVb(vberr::kTypeMismatch);
    return typed;
  } else {
    return FromVariant<D>(v);
  }
}

template <class D>
Variant Back(const D& value) {
  if constexpr (IsSharedPtr<D>::value && !std::is_same_v<D, ArrayPtr>) {
    return Variant(ObjectPtr(value));
  } else {
    return Variant(value);
  }
}

// Holds one converted argument for the duration of a call.
template <class P>
struct Holder {
  using D = std::remove_cvref_t<P>;
  static constexpr bool kByRef =
      std::is_lvalue_reference_v<P> && !std::is_const_v<std::remove_reference_t<P>>;

  D value;
  Holder(Args& args, size_t i) : value(FetchNoted(args, i)) {}
  // A failed conversion is noted with the argument's position before it
  // reaches the caller, as the error itself does not name the argument.
  static D FetchNoted(Args& args, size_t i) {
    try {
      return Fetch(args, i);
    } catch (...) {
      NoteFailedArgument(i + 1);
      throw;
    }
  }
  static D Fetch(Args& args, size_t i) {
    if constexpr (IsOptional<D>::value) {
      if (i >= args.size() || args[i].IsMissing()) return std::nullopt;
      return Convert<typename IsOptional<D>::element>(args[i]);
    } else {
      if (i >= args.size() || args[i].IsMissing()) RaiseVb(vberr::kArgumentNotOptional);
      return Convert<D>(args[i]);
    }
  }
  P Get() { return static_cast<P>(value); }
  void WriteBack(Args& args, size_t i) {
    if constexpr (kByRef && !IsOptional<D>::value) {
      if (i < args.size()) args[i] = Back(value);
    } else if constexpr (kByRef) {
      if (i < args.size() && value) args[i] = Back(*value);
    }
  }
};

template <class P>
  requires std::is_same_v<std::remove_cvref_t<P>, Variant>
struct Holder<P> {
  Variant* ref = nullptr;
  Variant missing = Variant::Missing();
  Holder(Args& args, size_t i) : ref(i < args.size() ? &args[i] : nullptr) {}
  P Get() { return ref ? *ref : missing; }
  void WriteBack(Args&, size_t) {}
};

// A member function's parts, whatever its qualifiers.
template <class F>
struct MemberTraits;
template <class C, class R, class... P>
struct MemberTraits<R (C::*)(P...)> {
  using Class = C;
  using Signature = R(P...);
};
template <class C, class R, class... P>
struct MemberTraits<R (C::*)(P...) const> : MemberTraits<R (C::*)(P...)> {};
template <class C, class R, class... P>
struct MemberTraits<R (C::*)(P...) noexcept> : MemberTraits<R (C::*)(P...)> {};
template <class C, class R, class... P>
struct MemberTraits<R (C::*)(P...) const noexcept> : MemberTraits<R (C::*)(P...)> {};

template <class Sig>
struct Invoker;
template <class R, class... P>
struct Invoker<R(P...)> {
  template <class T, class F>
  static Variant Run(F fn, T& self, Args& args) {
    return Run(fn, self, args, std::index_sequence_for<P...>{});
  }

 private:
  template <class T, class F, size_t... I>
  static Variant Run(F fn, T& self, Args& args, std::index_sequence<I...>) {
    if (args.size() > sizeof...(P)) RaiseVb(vberr::kWrongArgumentCount);
    // Braces convert the arguments left to right.
    std::tuple<Holder<P>...> holders{Holder<P>(args, I)...};
    if constexpr (std::is_void_v<R>) {
      (self.*fn)(std::get<I>(holders).Get()...);
      (std::get<I>(holders).WriteBack(args, I), ...);
      return Variant();
    } else {
      R result = (self.*fn)(std::get<I>(holders).Get()...);
      (std::get<I>(holders).WriteBack(args, I), ...);
      return Back(result);
    }
  }
};

template <class T, class F>
Variant InvokeMember(F fn, T& self, Args& args) {
  return Invoker<typename MemberTraits<F>::Signature>::Run(fn, self, args);
}

}  // namespace detail

template <class T>
class DispatchBuilder {
 public:
  explicit DispatchBuilder(std::string className) : table_(std::move(className)) {}

  // Each takes a member function of T or of a base of T, const or not.
  template <class F>
  DispatchBuilder& Method(const std::string& name, F fn) {
    table_.Add(name).method = Wrap(fn);
    return *this;
  }
  template <class F>
  DispatchBuilder& Get(const std::string& name, F fn) {
    table_.Add(name).get = Wrap(fn);
    return *this;
  }
  template <class F>
  DispatchBuilder& Let(const std::string& name, F fn) {
    table_.Add(name).let = Wrap(fn);
    return *this;
  }
  template <class F>
  DispatchBuilder& Set(const std::string& name, F fn) {
    table_.Add(name).set = Wrap(fn);
    return *this;
  }
  // A handler written by hand, for members whose arguments need more than
  // conversion (variable argument lists, default members).
  DispatchBuilder& Raw(const std::string& name, CallKind kind, Member::Handler handler) {
    Member& m = table_.Add(name);
    switch (kind) {
      case CallKind::Method: m.method = std::move(handler); break;
      case CallKind::Get: m.get = std::move(handler); break;
      case CallKind::Let: m.let = std::move(handler); break;
      case CallKind::Set: m.set = std::move(handler); break;
    }
    return *this;
  }
  DispatchBuilder& Default(std::string name) {
    table_.SetDefault(std::move(name));
    return *this;
  }
  DispatchTable Build() { return std::move(table_); }

 private:
  template <class F>
    requires std::is_member_function_pointer_v<F> &&
             std::is_base_of_v<typename detail::MemberTraits<F>::Class, T>
  static Member::Handler Wrap(F fn) {
    return [fn](Object& self, Args& args) -> Variant {
      return detail::InvokeMember(fn, static_cast<T&>(self), args);
    };
  }

  DispatchTable table_;
};

}  // namespace rt
