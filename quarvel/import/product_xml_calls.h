// The scopes of ProductXML's public calls: the master-data answers kept for
// the outermost call, and the write session of a call that writes.
//
//   rt::ContextScope scope(*this);
//   CallScope call(*this);
//   WritingCall writing(*this);     // only in the members that write
//   try {
//     ...
//     writing.Commit();
//   } catch (...) {
//     HandleMethodError(Source("..."), [&] { writing.CommitAfterFailure(); });
//   }
#pragma once

#include <memory>
#include <optional>

#include "quarvel/import/import_batch.h"
#include "quarvel/import/product_writer.h"
#include "quarvel/import/product_xml.h"
#include "quarvel/import/product_xml_common.h"

namespace quarvel {

// Answers are kept from the start of the outermost public call to its end:
// a public member that another one calls keeps its caller's.
class ProductXML::CallScope {
 public:
  explicit CallScope(ProductXML& object) : object_(object) {
    if (object_.callDepth_++ == 0) object_.memo_ = std::make_unique<productxml::CallMemo>();
  }
  ~CallScope() {
    if (--object_.callDepth_ == 0) object_.memo_.reset();
  }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

 private:
  ProductXML& object_;
};

// The write session of a call; a call made inside another that writes
// (none of the public members does so now) writes on its caller's.
class ProductXML::WritingCall {
 public:
  explicit WritingCall(ProductXML& object) : object_(object), own_(object.writer_ == nullptr) {
    if (!own_) return;
    group_.emplace();
    writer_.emplace(*group_);
    object_.writer_ = &*writer_;
  }
  // A group never committed is rolled back with its session.
  ~WritingCall() {
    if (own_) object_.writer_ = nullptr;
  }
  WritingCall(const WritingCall&) = delete;
  WritingCall& operator=(const WritingCall&) = delete;

  void Commit() {
    if (group_) group_->Commit();
  }
  void CommitAfterFailure() {
    if (group_) group_->CommitAfterFailure();
  }

 private:
  ProductXML& object_;
  bool own_;
  std::optional<import::WriteGroup> group_;
  std::optional<productxml::ProductWriter> writer_;
};

}  // namespace quarvel
