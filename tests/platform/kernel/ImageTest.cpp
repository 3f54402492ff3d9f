// Images: the application image, and loading, resolving and unloading add-ons.
#include <image.h>

#include <gtest/gtest.h>

#include <cstring>

TEST(Image, AppImageFirstThenAnAddOnLoadsResolvesListsAndUnloads)
{
	int32 cookie = 0;
	image_info info;
	ASSERT_EQ(get_next_image_info(B_CURRENT_TEAM, &cookie, &info), B_OK);
	EXPECT_EQ(info.type, B_APP_IMAGE);
	EXPECT_NE(std::strstr(info.name, "/kernel_tests"), nullptr) << info.name;

	const image_id image = load_add_on(TEST_ADDON_PATH);
	ASSERT_GT(image, 0);
	void* symbol = nullptr;
	ASSERT_EQ(get_image_symbol(image, "test_addon_answer", B_SYMBOL_TYPE_TEXT, &symbol), B_OK);
	EXPECT_EQ(reinterpret_cast<int (*)()>(symbol)(), 42);
	EXPECT_EQ(get_image_symbol(image, "no_such_symbol", B_SYMBOL_TYPE_TEXT, &symbol),
		B_MISSING_SYMBOL);
	bool listed = false;
	for (cookie = 0; get_next_image_info(0, &cookie, &info) == B_OK;)
		listed |= info.id == image && info.type == B_ADD_ON_IMAGE;
	EXPECT_TRUE(listed);
	EXPECT_EQ(unload_add_on(image), B_OK);
	EXPECT_EQ(unload_add_on(image), B_BAD_IMAGE_ID);
	EXPECT_EQ(get_image_symbol(image, "test_addon_answer", B_SYMBOL_TYPE_TEXT, &symbol),
		B_BAD_IMAGE_ID);

	EXPECT_LT(load_add_on("/nonexistent/libnothing.so"), 0);
	EXPECT_EQ(load_add_on(""), B_BAD_VALUE);
}
