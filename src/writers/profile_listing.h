// The merged execution profile listing (-p).
#pragma once

namespace kov {

class Coverage;
class TextSink;

/// Writes the whole listing of a processed coverage set. Sets the functions'
/// `listed` flags and the files' pending parts as it goes.
void writeProfileListing(Coverage& coverage, TextSink& out);

}  // namespace kov
