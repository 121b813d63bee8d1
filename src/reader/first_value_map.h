// The element map and the attribute map of the reader: each name keeps the
// first value stored under it since the map was last cleared.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
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
  explicit FirstValueMap(const std::array<std::string_view, N>& names) : names_(names) {
    // Names are entered in table order, so where a name stood in the table
    // twice its first entry is met first, as a scan of the table would.
    for (std::size_t i = 0; i < N; ++i) {
      std::size_t slot = hash(names_[i]);
      while (slots_[slot] != 0) slot = (slot + 1) % kSlots;
      slots_[slot] = static_cast<std::uint8_t>(i + 1);
    }
  }

  /// The slot to fill for `name` where it is a kept name not yet present (it
  /// counts as present from now on); nullptr where the value is to be dropped.
  std::string* claim(std::string_view name) {
    const std::size_t i = claimIndex(name);
    if (i == kNone) return nullptr;
    borrowed_[i] = false;
    values_[i].clear();
    return &values_[i];
  }
  /// Stores `value` for `name` as claim does, without copying it: the map
  /// refers to the caller's bytes until `keep` is called, which the caller
  /// must do before those bytes change.
  void claimBorrowed(std::string_view name, std::string_view value) {
    const std::size_t i = claimIndex(name);
    if (i == kNone) return;
    borrowed_[i] = true;
    borrowedValues_[i] = value;
    anyBorrowed_ = true;
  }
  /// Copies every borrowed value into the map's own storage.
  void keep() {
    if (!anyBorrowed_) return;
    for (std::size_t i = 0; i < N; ++i) {
      if (present_[i] && borrowed_[i]) values_[i].assign(borrowedValues_[i]);
      borrowed_[i] = false;
    }
    anyBorrowed_ = false;
  }
  /// Whether no name is present.
  bool empty() const { return count_ == 0; }
  /// Whether the name is present, whatever its value.
  bool has(Id id) const { return present_[index(id)]; }
  /// The value of the name; empty where it is absent.
  std::string_view value(Id id) const {
    const std::size_t i = index(id);
    if (!present_[i]) return {};
    return borrowed_[i] ? borrowedValues_[i] : std::string_view(values_[i]);
  }
  /// Removes every name (the value strings keep their storage).
  void clear() {
    present_.fill(false);
    count_ = 0;
    anyBorrowed_ = false;
  }

 private:
  static constexpr std::size_t kNone = N;
  static constexpr std::size_t kSlots = 64;  // more than twice N, so chains stay short
  static_assert(2 * N < kSlots);

  static std::size_t index(Id id) { return static_cast<std::size_t>(id); }

  // The table index of `name` where it is a kept name not yet present (it
  // counts as present from now on); kNone where the value is to be dropped.
  std::size_t claimIndex(std::string_view name) {
    // Every element and every attribute of a report passes here: a small
    // hash table keeps it to one or two comparisons of whole names.
    if (name.empty()) return kNone;
    for (std::size_t slot = hash(name); slots_[slot] != 0; slot = (slot + 1) % kSlots) {
      const std::size_t i = slots_[slot] - 1u;
      if (names_[i] != name) continue;
      if (present_[i]) return kNone;
      present_[i] = true;
      ++count_;
      return i;
    }
    return kNone;
  }
  static std::size_t hash(std::string_view name) {
    if (name.empty()) return 0;
    const auto first = static_cast<unsigned char>(name.front());
    const auto last = static_cast<unsigned char>(name.back());
    const auto middle = static_cast<unsigned char>(name[name.size() / 2]);
    return (name.size() * 7 + first * 3 + middle * 5 + last) % kSlots;
  }

  const std::array<std::string_view, N>& names_;
  std::array<std::uint8_t, kSlots> slots_{};  // table index + 1; 0 is an empty slot
  std::array<bool, N> present_{};
  std::array<std::string, N> values_;
  std::array<bool, N> borrowed_{};  // the value is in borrowedValues_, not values_
  std::array<std::string_view, N> borrowedValues_{};
  bool anyBorrowed_ = false;
  std::size_t count_ = 0;  // names present
};

}  // namespace kov
