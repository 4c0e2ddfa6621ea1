// The engine library's load and unload entry: it does nothing; all work starts with Init.
// This translation unit is what the shared library is built from; the engine's code comes in
// whole from the static core library, and engine/exports.map keeps only the C exports visible.
namespace tamblet {
namespace {
[[maybe_unused]] constexpr bool kLibraryEntryDoesNothing = true;
}  // namespace
}  // namespace tamblet
