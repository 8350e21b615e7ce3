// The statement dispatch against the editor's keyword table: every statement keyword the compiler takes is
// a word the editor colours and hints.
// Layer: tests (plain C++).
#include "compiler/dispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "editor/keywords.h"

namespace kelmore {
namespace {

// The keyword rows of the dispatch table, in its order.
std::vector<std::string_view> dispatchKeywords() {
  std::vector<std::string_view> keywords;
  for (const StatementRow& row : statementTable())
    if (row.form == LineForm::Keyword) keywords.push_back(row.keyword);
  return keywords;
}

bool inKeywordTable(std::string_view keyword) {
  for (const auto& entry : editor::kStmtWords)
    if (entry.word == keyword) return true;
  for (const auto& entry : editor::kFuncWords)
    if (entry.word == keyword) return true;
  return false;
}

TEST(Dispatch, every_statement_keyword_is_in_the_keyword_table) {
  const std::vector<std::string_view> keywords = dispatchKeywords();
  ASSERT_FALSE(keywords.empty());
  std::vector<std::string_view> missing;
  for (std::string_view keyword : keywords)
    if (!inKeywordTable(keyword)) missing.push_back(keyword);
  EXPECT_EQ(missing, std::vector<std::string_view>{});
}

}  // namespace
}  // namespace kelmore
