// Log ("Solvane.Log"): appends entries to the suite's log file.
#pragma once

#include <cstdint>
#include <string>

#include "interfaces/solvane.h"
#include "runtime/object.h"

namespace solvane {

class Log : public rt::Object, public ILog {
 public:
  std::string TypeName() const override { return "Log"; }
  const rt::DispatchTable* Dispatch() const override;

  int32_t WriteEntry(const rt::Variant& source, const rt::Variant& text,
                     const rt::Variant& kind) override;
};

}  // namespace solvane
