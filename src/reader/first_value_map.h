// The element map and the attribute map of the reader: each name keeps the
// first value stored under it since the map was last cleared.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kov {

/// A map over a fixed table of names, indexed by the enum `Id`. Only the
/// names of the table are kept: the reader never looks any other name up, so
/// dropping them changes nothing but keeps every operation constant-time and
/// free of allocation once the value strings have grown.
template <typename Id, std::size_t N>
class FirstValueMap {
 public:
  /// `names` must outlive the map; entry i is the name of Id(i).
  explicit FirstValueMap(const std::array<std::string_view, N>& names) : names_(names) {}

  /// The slot to fill for `name` where it is a kept name not yet present (it
  /// counts as present from now on); nullptr where the value is to be dropped.
  std::string* claim(std::string_view name) {
    for (std::size_t i = 0; i < N; ++i) {
      // The first byte tells most names apart without a call to compare.
      if (names_[i].size() != name.size() || names_[i][0] != name[0] || names_[i] != name) {
        continue;
      }
      if (present_[i]) return nullptr;
      present_[i] = true;
      values_[i].clear();
      return &values_[i];
    }
    return nullptr;
  }
  /// Whether the name is present, whatever its value.
  bool has(Id id) const { return present_[index(id)]; }
  /// The value of the name; empty where it is absent.
  std::string_view value(Id id) const {
    return present_[index(id)] ? std::string_view(values_[index(id)]) : std::string_view();
  }
  /// Removes every name (the value strings keep their storage).
  void clear() { present_.fill(false); }

 private:
  static std::size_t index(Id id) { return static_cast<std::size_t>(id); }

  const std::array<std::string_view, N>& names_;
  std::array<bool, N> present_{};
  std::array<std::string, N> values_;
};

}  // namespace kov
