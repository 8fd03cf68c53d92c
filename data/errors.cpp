// The Errors collection of a connection.
#include "data/errors.h"

#include "data/ado_errors.h"
#include "data/engine.h"
#include "runtime/dispatch.h"

namespace data {

const rt::DispatchTable* Error::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<Error>("Error")
                                             .Get("Number", &Error::Number)
                                             .Get("Description", &Error::Description)
                                             .Get("Source", &Error::Source)
                                             .Get("NativeError", &Error::NativeError)
                                             .Get("SQLState", &Error::SQLState)
                                             .Default("Description")
                                             .Build();
  return &table;
}

const rt::DispatchTable* Errors::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<Errors>("Errors")
                                             .Get("Count", &Errors::Count)
                                             .Get("Item", &Errors::Item)
                                             .Method("Clear", &Errors::Clear)
                                             .Default("Item")
                                             .Build();
  return &table;
}

std::shared_ptr<Error> Errors::Item(int32_t index) {
  if (index < 0 || index >= Count())
    adoerr::Raise(adoerr::kItemNotFound, "ADODB.Errors", "No error at position " + std::to_string(index) + ".");
  return items_[index];
}

void Errors::Record(const rt::ComError& error) {
  items_.clear();
  auto* engine = dynamic_cast<const EngineError*>(&error);
  items_.push_back(std::make_shared<Error>(error.number(), error.description(), error.source(),
                                           engine ? engine->nativeError() : 0));
}

}  // namespace data
