// The merge state: everything the merged coverage set holds after its last
// report was read, as an XML document from which a later run continues as if
// it had read those reports itself.
#pragma once

namespace kov {

class Coverage;
class TextSink;

/// Writes the state of `coverage`, which must not be processed yet.
/// `noDriveLetter` is the run's -ndl, which shaped the keys and names.
void writeMergeState(const Coverage& coverage, bool noDriveLetter, TextSink& out);

}  // namespace kov
