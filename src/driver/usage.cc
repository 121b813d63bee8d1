#include "driver/usage.h"

namespace kov {

// Carried in the program image for identification; never printed.
[[maybe_unused]] static const char* const kIdentification =
    "$Id: kovxmlmerge 3.4,  Windows version - " __DATE__ " " __TIME__ " $";

std::vector<std::string> copyrightLines() {
  return {"Copyright (c) 2026 The KOV++ Authors", "All rights reserved."};
}

void printUsage(std::ostream& out) {
  const std::string version = kProgramVersion;
  const std::string lines[] = {
      "",
      "This KOV++ utility kovxmlmerge (v" + version + ") reads kovpost-generated XML coverage",
      "report(s), extracts instrumented header files to their own entities, sums up",
      "execution hits, recalculates TER, and writes merged textual execution",
      "profile listing (-p) and/or summary XML report (-x, TERs only).",
      "",
      "Usage:",
      "kovxmlmerge input.xml... [-p profilefile] [-x xmlfile] [@optionsfile]",
      "            [-f file[;file]...]... [-nf file[;file]...]... [-ndl]",
      "kovxmlmerge [-h]",
      "",
      "Options:",
      "   input.xml       Input XML file. One or more KOV++ XML coverage reports.",
      "   -p profilefile  Output merged textual execution profile listing.",
      "   -x xmlfile      Output merged summary XML report.",
      "   @optionsfile    Input and options can be given also at optionsfile.",
      "   -f file         Only these instrumented files are reported.",
      "   -nf file        These instrumented files are not reported.",
      "   -ndl            No drive letter (removed from reported filenames).",
      "   -cobertura file Output merged coverage as Cobertura XML (CI dashboards).",
      "   -lcov file      Output merged coverage as lcov tracefile.",
      "   -root dir       Directory taken off the file names of both exports.",
      "   -min-ter N      Exit status 3 if the overall TER is below N (0 to 100).",
      "   -m statefile    Output merge state; a later run continues it as first input.",
      "   -json file      Output merged coverage as JSON (scripts).",
      "   -sonar file     Output merged coverage as SonarQube generic coverage XML.",
      "   -md file        Output a Markdown summary (merge requests, CI job pages).",
      "   -min-statement N  Exit status 3 if the overall statement TER is below N.",
      "   -h              Display command line help.",
      "",
      "Example: kovxmlmerge input1.xml input2.xml -p profile.txt -x summary.xml",
  };
  for (const std::string& line : lines) out << line << std::endl;
}

}  // namespace kov
