#include "IcoWriter.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>

namespace sj::art {
namespace {

TEST(IcoWriter, RefusesImagesAnIconCannotHold) {
    EXPECT_THROW(EncodeIco({}), Exception);
    EXPECT_THROW(EncodeIco({TacPixmap(16, 8)}), Exception);
    EXPECT_THROW(EncodeIco({TacPixmap(300, 300)}), Exception);
}

} // namespace
} // namespace sj::art
