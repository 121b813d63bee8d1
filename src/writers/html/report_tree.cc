#include "writers/html/report_tree.h"

#include <algorithm>
#include <map>

#include "model/coverage.h"
#include "model/coverage_view.h"
#include "writers/listing_walk.h"

namespace kov::html {
namespace {

// The tree as the names give it, before single-child chains are joined.
struct RawDirectory {
  std::string_view part;
  std::map<std::string_view, std::size_t> children;  // by part, byte order
  std::vector<std::size_t> files;
};

// "f12.html": the name of a page, made from its kind and number alone.
std::string pageName(char kind, std::size_t number) {
  std::string name(1, kind);
  name += std::to_string(number);
  name += ".html";
  return name;
}

bool isSeparator(char c) { return c == '/' || c == '\\'; }

std::string joined(std::string_view head, std::string_view tail) {
  std::string path(head);
  if (!path.empty() && path.back() != '/') path += '/';
  path += tail;
  return path;
}

}  // namespace

void Tally::add(const CoverageFile& file) {
  hits += file.hits;
  all += file.all;
  if (file.statementShown) {
    statementHits += file.statementHits;
    statementAll += file.statementAll;
  }
  functionsWithStatement += file.functionsWithStatement;
  functionsWithoutStatement += file.functionsWithoutStatement;
  ++files;
}

void Tally::add(const Tally& other) {
  hits += other.hits;
  all += other.all;
  statementHits += other.statementHits;
  statementAll += other.statementAll;
  functionsWithStatement += other.functionsWithStatement;
  functionsWithoutStatement += other.functionsWithoutStatement;
  files += other.files;
}

std::uint32_t Tally::ter() const { return all == 0 ? 100 : kov::ter(hits, all); }

std::uint32_t Tally::statementTer() const {
  return statementAll == 0 ? 100 : kov::ter(statementHits, statementAll);
}

std::vector<std::string_view> nameParts(std::string_view name) {
  std::vector<std::string_view> parts;
  if (!name.empty() && isSeparator(name.front())) parts.push_back("/");
  std::size_t i = 0;
  while (i < name.size()) {
    std::size_t end = i;
    while (end < name.size() && !isSeparator(name[end])) ++end;
    std::string_view part = name.substr(i, end - i);
    if (!part.empty() && part != ".") parts.push_back(part);
    i = end + 1;
  }
  return parts;
}

ReportTree::ReportTree(const Coverage& coverage) {
  std::vector<RawDirectory> raw(1);
  for (const auto& [key, file] : coverage.files()) {
    if (!isListedFile(*file)) continue;
    std::vector<std::string_view> parts = nameParts(file->displayName);
    // A name that ends in a separator (or is empty) still names a file.
    if (parts.empty() || isSeparator(file->displayName.back())) parts.push_back({});
    std::size_t at = 0;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
      auto found = raw[at].children.find(parts[i]);
      if (found == raw[at].children.end()) {
        raw.push_back(RawDirectory{parts[i], {}, {}});
        found = raw[at].children.emplace(parts[i], raw.size() - 1).first;
      }
      at = found->second;
    }
    raw[at].files.push_back(files_.size());
    FilePage page;
    page.file = file.get();
    page.label = parts.back();
    page.pageName = pageName('f', files_.size() + 1);
    fileIndex_.emplace(file.get(), files_.size());
    files_.push_back(std::move(page));
  }

  // Pages in the order of a walk from the root, each directory before its
  // subdirectories; a directory that holds one subdirectory and no file is
  // joined with it. The walk keeps its own stack: names may nest deeply.
  struct Step {
    std::size_t raw;
    std::size_t parent;
  };
  std::vector<Step> pending{{0, 0}};
  while (!pending.empty()) {
    Step step = pending.back();
    pending.pop_back();
    std::size_t at = step.raw;
    DirectoryPage page;
    page.parent = step.parent;
    if (at != 0) {
      page.label = std::string(raw[at].part);
      while (raw[at].files.empty() && raw[at].children.size() == 1) {
        at = raw[at].children.begin()->second;
        page.label = joined(page.label, raw[at].part);
      }
      page.path = joined(directories_[step.parent].path, page.label);
      if (step.parent == 0) page.path = page.label;
    }
    const std::size_t index = directories_.size();
    page.pageName = index == 0 ? std::string("index.html") : pageName('d', index);
    page.files = raw[at].files;
    for (std::size_t file : page.files) files_[file].directory = index;
    std::stable_sort(page.files.begin(), page.files.end(), [&](std::size_t a, std::size_t b) {
      return files_[a].label < files_[b].label;
    });
    if (index != 0) directories_[step.parent].directories.push_back(index);
    directories_.push_back(std::move(page));
    // Reversed onto the stack, so that they come off in label order.
    for (auto child = raw[at].children.rbegin(); child != raw[at].children.rend(); ++child) {
      pending.push_back(Step{child->second, index});
    }
  }

  // Sums from the leaves up: every directory comes after its parent.
  for (std::size_t i = directories_.size(); i-- > 0;) {
    DirectoryPage& page = directories_[i];
    for (std::size_t file : page.files) page.tally.add(*files_[file].file);
    if (i != 0) directories_[page.parent].tally.add(page.tally);
  }
}

const FilePage* ReportTree::pageOf(const CoverageFile* file) const {
  auto found = fileIndex_.find(file);
  return found == fileIndex_.end() ? nullptr : &files_[found->second];
}

std::vector<std::size_t> ReportTree::pathTo(std::size_t directory) const {
  std::vector<std::size_t> path{directory};
  while (path.back() != 0) path.push_back(directories_[path.back()].parent);
  std::reverse(path.begin(), path.end());
  return path;
}

}  // namespace kov::html
