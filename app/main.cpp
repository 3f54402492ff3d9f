// Entry point of the address book.
#include <OS.h>

#include <cstdio>

int main(int argc, char** argv)
{
	(void)argc;
	(void)argv;
	std::fprintf(stderr, "cvab: the address book's windows are not built yet\n");
	return 0;
}
