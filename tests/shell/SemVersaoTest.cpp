// A build that embeds no version answers the empty text, so the error report shows none.
#include <gtest/gtest.h>

#include "shell/Utilgui.h"

TEST(VersaoArquivo, IsEmptyForABuildWithoutVersion) {
  EXPECT_EQ(versaoArquivo(), QString());
}
