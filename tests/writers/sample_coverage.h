// A small processed coverage set for the writers' golden documents, built
// through the model's interface as the reader would build it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/coverage.h"
#include "writers/probe_builders.h"

namespace kov::testing {

inline constexpr const char* kRunStamp = "Mon Dec  7 11:14:34 2026";

/// Two reports merged: "main.c" (timing) with its extracted header "util.h",
/// a function coverage only "fco.c", an excluded "skip.c" and a line-directive
/// file "gen.y". Every function reports no statement coverage, so the figures
/// depend on the writers and the TER arithmetic only.
inline std::unique_ptr<Coverage> sampleCoverage() {
  auto coverage = std::make_unique<Coverage>(
      "3.4",
      std::vector<std::string>{"a.xml", "/data/a (1)/r.xml", "-nf", "skip.c", "-x", "out\f.xml"},
      std::vector<std::string>{"*.c", "*.h"}, std::vector<std::string>{"skip.c"},
      std::vector<std::string>{"Copyright line one", "Copyright line two"});
  coverage->kovpostVersions = {"5.1.2", "5.1.3"};
  coverage->inputReportList = {"a.xml (Sun Dec  6 10:00:00 2026)",
                               "/data/a (1)/r.xml (Sun Dec  6 12:30:00 2026)"};
  coverage->coverageViews = {"As instrumented", "As instrumented"};
  coverage->reportViews = {"decision", "decision"};
  coverage->costFunctions = {"clock", "clock"};
  coverage->costTypes = {"cpu", "cpu"};
  coverage->costScalings = {1000, 1000};

  CoverageFile* main = coverage->addFile("main.c", kSourceFile, "main.c", true);
  main->addInstrumentationMode("decision+timing");
  main->addExtractedHeaderName("util.h");
  main->addIncludeLine("#include <stdio.h>");
  main->addLineCount(40);
  FunctionRecord mainRecord;
  mainRecord.originFile = main;
  mainRecord.callCount = 4;
  mainRecord.totalExecutionCost = 4294967294u;  // -2 as signed 32 bits
  mainRecord.maxExecutionCost = 3;
  main->addFunction("main", 5, "(int argc)", mainRecord);
  main->setStatementAvailability("main", 5, "(int argc)", "no");
  for (ProbeRecord& probe : std::vector<ProbeRecord>{
           probeRecord(ProbeKind::Function, 5, 0, "main", 1),
           probeRecord(ProbeKind::If, 7, 1, "if (argc > 1)", 3, 0),
           probeRecord(ProbeKind::Else, 9, 1, "else"),
           probeRecord(ProbeKind::BlockEnd, 11, 1, "}"),
           probeRecord(ProbeKind::Return, 12, 1, "return 0;", 1),
           probeRecord(ProbeKind::FunctionEnd, 13, 0, "}", 1),
       }) {
    main->addProbe("main", 5, "(int argc)", std::move(probe));
  }

  CoverageFile* util = coverage->addFile("util.h", kHeaderFile, "util.h", true);
  util->addInstrumentationMode("decision");
  FunctionRecord utilRecord;
  utilRecord.originFile = util;
  util->addFunction("operator&", 3, "const A<int> &", utilRecord);
  util->setStatementAvailability("operator&", 3, "const A<int> &", "no");
  for (ProbeRecord& probe : std::vector<ProbeRecord>{
           probeRecord(ProbeKind::Function, 3, 0, "operator&", 0),
           probeRecord(ProbeKind::Return, 4, 1, "return a;", 0),
           probeRecord(ProbeKind::FunctionEnd, 5, 0, "}", 0),
       }) {
    util->addProbe("operator&", 3, "const A<int> &", std::move(probe));
  }

  CoverageFile* fco = coverage->addFile("fco.c", kSourceFile, "fco.c", true);
  fco->addInstrumentationMode("function");
  fco->addLineCount(12);
  FunctionRecord initRecord;
  initRecord.originFile = fco;
  fco->addFunction("init", 2, "(void)", initRecord);
  fco->setStatementAvailability("init", 2, "(void)", "no");
  fco->addProbe("init", 2, "(void)", probeRecord(ProbeKind::Function, 2, 0, "init", 1));
  fco->addProbe("init", 2, "(void)", probeRecord(ProbeKind::FunctionEndNr, 6, 0, "}"));

  CoverageFile* skip = coverage->addFile("skip.c", kSourceFile, "skip.c", false);
  skip->addInstrumentationMode("decision");

  CoverageFile* part = coverage->addFile("gen.y", kLineDirectiveFile, "gen.y", true);
  part->addInstrumentationMode("decision");
  part->addFunction("N.A.", 0, "( )", FunctionRecord{});
  part->addProbe("N.A.", 0, "( )", probeRecord(ProbeKind::Return, 2, 1, "return 1;", 1));

  coverage->process(kRunStamp);
  return coverage;
}

}  // namespace kov::testing
