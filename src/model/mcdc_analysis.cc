#include "model/mcdc_analysis.h"

#include "model/coverage_probe.h"

namespace kov {

McdcAnalysis::McdcAnalysis() = default;
McdcAnalysis::~McdcAnalysis() = default;

void McdcAnalysis::startFunction() {}
void McdcAnalysis::visitProbe(CoverageProbe&, bool) {}

}  // namespace kov
