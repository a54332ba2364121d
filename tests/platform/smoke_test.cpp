#include <gtest/gtest.h>
#include <zlib.h>
#include <cstdio>
#include <jpeglib.h>
TEST(Smoke, Libraries) { EXPECT_NE(zlibVersion(), nullptr); jpeg_decompress_struct d{}; jpeg_error_mgr e{}; d.err = jpeg_std_error(&e); jpeg_create_decompress(&d); jpeg_destroy_decompress(&d); }
