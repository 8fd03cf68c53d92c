// ParseError's members.
#include "platform/xml/parse_error.h"

#include "runtime/dispatch.h"

namespace msxml {

const rt::DispatchTable* ParseError::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<ParseError>("IXMLDOMParseError")
                                             .Get("errorCode", &ParseError::errorCode)
                                             .Get("reason", &ParseError::reason)
                                             .Default("errorCode")
                                             .Build();
  return &table;
}

}  // namespace msxml
