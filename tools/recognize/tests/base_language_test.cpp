#include "tools/recognize/base_language.h"

#include <gtest/gtest.h>

#include "common/recognition_types.h"
#include "kernel/dbs_header.h"
#include "platform/file_access.h"
#include "tests/support/temporary_directory.h"

namespace {

using kernel::CodePage;
using kernel::SectionType;

void WriteHeader(const testing_support::TemporaryDirectory& directory, CodePage code_page, SectionType type) {
  const auto header = kernel::SerializeDbsHeader(kernel::DbsHeader::Make(code_page, type, 0, 0, {}));
  ASSERT_TRUE(platform::WriteWholeFile(directory.File("bqothfet.dbs"), header));
}

TEST(BaseDictionaryLanguageTest, FollowsTheCodePageOfTheFeatureFile) {
  testing_support::TemporaryDirectory directory;
  EXPECT_EQ(wrendle::BaseDictionaryLanguage(directory.path().string()), std::nullopt) << "no dictionaries";
  WriteHeader(directory, CodePage::kBig5, SectionType::kFeatures);
  EXPECT_EQ(wrendle::BaseDictionaryLanguage(directory.path().string()), wrendle::kLanguageTraditionalChinese);
  WriteHeader(directory, CodePage::kGb2312, SectionType::kFeatures);
  EXPECT_EQ(wrendle::BaseDictionaryLanguage(directory.path().string()), wrendle::kLanguageSimplifiedChinese);
  WriteHeader(directory, CodePage::kBig5, SectionType::kClusters);
  EXPECT_EQ(wrendle::BaseDictionaryLanguage(directory.path().string()), std::nullopt) << "not a feature file";
  directory.Write("bqothfet.dbs", "short");
  EXPECT_EQ(wrendle::BaseDictionaryLanguage(directory.path().string()), std::nullopt);
}

}  // namespace
