#include "reader/kov_parser.h"

#include "model/coverage.h"

namespace kov {

KOVParser::KOVParser(Coverage& coverage, bool noDriveLetter, std::vector<std::string> chosenFiles,
                     std::vector<std::string> unchosenFiles)
    : coverage_(coverage),
      noDriveLetter_(noDriveLetter),
      chosenKeys_(std::move(chosenFiles)),
      unchosenKeys_(std::move(unchosenFiles)) {}

KOVParser::~KOVParser() = default;

void KOVParser::parse(const std::string&) {}

}  // namespace kov
