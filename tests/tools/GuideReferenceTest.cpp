// The guide's export reference: every export of the table says what it means, the unit or range
// of each argument the script passes and its failure value; the generated Markdown keeps one row
// per export with whole cells; and the copy in the guide is exactly what the generator prints.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/play/ExportReference.h"
#include "tools/play/ExportTable.h"

namespace tamblet::play {
namespace {

bool takesScriptArguments(const ExportSignature& signature) {
  for (ArgKind kind : signature.args) {
    if (takesScriptValue(kind) && kind != ArgKind::kHostKernel) return true;
  }
  return false;
}

TEST(GuideReferenceTest, EveryExportHasMeaningUnitsAndFailureValue) {
  for (const ExportSignature& signature : exportTable()) {
    SCOPED_TRACE(std::string(signature.name));
    EXPECT_FALSE(signature.doc.meaning.empty());
    EXPECT_FALSE(signature.doc.failure.empty());
    // Units are given exactly for the exports the script passes values to.
    EXPECT_EQ(!signature.doc.arguments.empty(), takesScriptArguments(signature));
    for (std::string_view text : {signature.doc.meaning, signature.doc.arguments, signature.doc.failure}) {
      EXPECT_EQ(text.find('\n'), std::string_view::npos);
      EXPECT_EQ(text.find('|'), std::string_view::npos);
    }
  }
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST(GuideReferenceTest, MarkdownHasOneRowOfSixWholeCellsPerExport) {
  const std::vector<std::string> rows = lines(exportReferenceMarkdown());
  ASSERT_EQ(rows.size(), exportTable().size() + 2);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    int pipes = 0;
    for (std::size_t c = 0; c < rows[i].size(); ++c) pipes += rows[i][c] == '|' && (c == 0 || rows[i][c - 1] != '\\');
    EXPECT_EQ(pipes, 7) << rows[i];
    if (i >= 2) {
      EXPECT_EQ(rows[i].rfind("| `" + std::string(exportTable()[i - 2].name) + "` |", 0), 0u) << rows[i];
    }
  }
}

TEST(GuideReferenceTest, GuideHoldsTheGeneratedReference) {
  std::ifstream file(TAMBLET_GUIDE);
  ASSERT_TRUE(file);
  std::stringstream whole;
  whole << file.rdbuf();
  const std::vector<std::string> guide = lines(whole.str());
  // The reference is the table that follows the "## Export reference" heading.
  std::size_t at = 0;
  while (at < guide.size() && guide[at] != "## Export reference") ++at;
  while (at < guide.size() && guide[at].rfind('|', 0) != 0) ++at;
  std::string copied;
  for (; at < guide.size() && guide[at].rfind('|', 0) == 0; ++at) copied += guide[at] + "\n";
  EXPECT_EQ(copied, exportReferenceMarkdown())
      << "refresh the guide's copy with: tamblet-play --list-exports --markdown";
}

}  // namespace
}  // namespace tamblet::play
