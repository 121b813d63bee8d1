#include "writers/html/page.h"

#include "base/text_sink.h"
#include "model/coverage.h"
#include "writers/html/html_text.h"
#include "writers/html/report_tree.h"

namespace kov::html {
namespace {

std::string_view bodyClassOf(PageKind kind) {
  switch (kind) {
    case PageKind::Overview:
      return "overview";
    case PageKind::Directory:
      return "directory";
    case PageKind::File:
      return "file";
    case PageKind::Changed:
      return "changed";
  }
  return "file";
}

// The level a TER falls in, for the colour of its bar.
std::string_view levelOf(std::uint32_t ter) {
  if (ter >= 90) return "hi";
  if (ter >= 75) return "mid";
  return "lo";
}

void putCrumbs(TextSink& out, const ReportTree& tree, std::size_t directory,
               std::optional<std::string_view> file) {
  out << "<header class=\"top\"><nav aria-label=\"Breadcrumb\"><ol class=\"crumbs\">";
  const std::vector<std::size_t> path = tree.pathTo(directory);
  for (std::size_t i = 0; i < path.size(); ++i) {
    const DirectoryPage& step = tree.directories()[path[i]];
    const bool last = i + 1 == path.size() && !file;
    out << (last ? "<li aria-current=\"page\">" : "<li><a href=\"");
    if (!last) out << step.pageName << "\">";
    if (path[i] == 0) {
      out << "Overview";
    } else {
      putName(out, step.label);
    }
    out << (last ? "</li>" : "</a></li>");
  }
  if (file) {
    out << "<li aria-current=\"page\">";
    putName(out, *file);
    out << "</li>";
  }
  out << "</ol></nav></header>";
  out.endLine();
}

}  // namespace

void beginPage(TextSink& out, PageKind kind, std::string_view title, std::string_view suffix,
               const ReportTree& tree, std::size_t directory,
               std::optional<std::string_view> file) {
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  putText(out, title);
  if (!title.empty()) out << " - ";
  out << suffix << "</title>\n<link rel=\"icon\" href=\"favicon.svg\" type=\"image/svg+xml\">\n"
      << "<link rel=\"stylesheet\" href=\"report.css\">\n"
      << "<script src=\"report.js\" defer></script>\n</head>\n<body class=\""
      << bodyClassOf(kind) << "\">";
  out.endLine();
  putCrumbs(out, tree, directory, file);
  out << "<main>";
  out.endLine();
}

void endPage(TextSink& out, const Coverage& coverage) {
  out << "</main>\n<footer><p>Written by kovxmlmerge " << coverage.programVersion
      << " at <span class=\"stamp\">";
  putText(out, coverage.runTimeStamp);
  out << "</span>.</p></footer>\n</body>\n</html>";
  out.endLine();
}

void putName(TextSink& out, std::string_view name) {
  if (name.empty()) {
    out << "(no name)";
  } else {
    putText(out, name);
  }
}

void putTer(TextSink& out, std::uint32_t ter, std::uint32_t hits, std::uint32_t all) {
  out.putUnsigned(ter) << " % (";
  out.putUnsigned(hits) << '/';
  out.putUnsigned(all) << ')';
}

void putBar(TextSink& out, std::uint32_t ter) {
  if (ter > 100) ter = 100;
  out << "<span class=\"bar b";
  out.putUnsigned(ter) << ' ' << levelOf(ter) << "\" aria-hidden=\"true\"></span>";
}

void putStatementFigure(TextSink& out, bool shown, std::uint32_t ter, std::uint32_t hits,
                        std::uint32_t all, std::uint32_t notAvailable) {
  if (!shown) {
    ter = 100;
    hits = 0;
    all = 0;
  }
  putTer(out, ter, hits, all);
  putBar(out, ter);
  if (notAvailable > 0) {
    out << "<span class=\"sub\">N.A. for ";
    out.putUnsigned(notAvailable) << " functions</span>";
  }
}

void putTerCell(TextSink& out, std::uint32_t ter, std::uint32_t hits, std::uint32_t all) {
  out << "<td class=\"t\">";
  putBar(out, ter);
  putTer(out, ter, hits, all);
  out << "</td>";
}

void putHeadRow(TextSink& out, const std::vector<std::string_view>& heads) {
  out << "<thead><tr>";
  for (std::string_view head : heads) {
    const bool numeric = !head.empty() && head.front() == '#';
    out << (numeric ? "<th scope=\"col\" class=\"n\">" : "<th scope=\"col\">")
        << (numeric ? head.substr(1) : head) << "</th>";
  }
  out << "</tr></thead>";
  out.endLine();
}

void putCoveredSwitch(TextSink& out, bool withKeys) {
  out << "<div class=\"tools\" data-script hidden><label><input type=\"checkbox\" "
         "id=\"hide-covered\"> Hide fully covered rows</label>";
  if (withKeys) {
    out << "<span class=\"keys\">Keys <kbd>n</kbd> and <kbd>p</kbd>: next and previous "
           "probe not fully covered</span>";
  }
  out << "</div>";
  out.endLine();
}

}  // namespace kov::html
