// The common base of the coverage entities and the report reader.
#pragma once

namespace kov {

/// Holds no data; gives every entity of the model a virtual destructor.
class CoverageCommon {
 public:
  virtual ~CoverageCommon() = default;
};

}  // namespace kov
