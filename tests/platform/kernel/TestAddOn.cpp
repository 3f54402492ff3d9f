extern "C" int test_addon_answer()
{
	return 42;
}
