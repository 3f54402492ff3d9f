// Pictures of the book window, the record editor and the Find window on the
// headless screen, for looking at how text shows (CVAB_SCALE=2 for a
// high-density screen), and the count of pixels two pictures differ in.
//   cvab-capture FOLDER BOOK [ROW]
//                               writes FOLDER/main.png, editor.png and find.png:
//                               BOOK shown, its record at ROW (the first by
//                               default) in the editor, its last name typed into Find
//   cvab-capture --compare A.png B.png
//                               prints how many pixels differ, and by how much at most
#include <ABListView.h>
#include <BookFile.h>
#include <CVABEditRecordsWindow.h>
#include <CVABFindWindow.h>
#include <CVABWindow.h>
#include <CVABook.h>
#include <CommandCodes.h>

#include <Application.h>
#include <Autolock.h>
#include <Entry.h>

#include "HeadlessScreen.h"
#include "WindowServerLink.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

using Screen = BPrivate::HeadlessScreen;

bool ReadPng(const char* path, std::vector<uint32_t>& pixels, png_uint_32& width,
	png_uint_32& height)
{
	png_image image{};
	image.version = PNG_IMAGE_VERSION;
	if (!png_image_begin_read_from_file(&image, path))
		return false;
	image.format = PNG_FORMAT_BGRA;
	width = image.width;
	height = image.height;
	pixels.resize(size_t(width) * height);
	return png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
}

int Compare(const char* first, const char* second)
{
	std::vector<uint32_t> a, b;
	png_uint_32 aw, ah, bw, bh;
	if (!ReadPng(first, a, aw, ah) || !ReadPng(second, b, bw, bh)) {
		std::fprintf(stderr, "cannot read the pictures\n");
		return 1;
	}
	if (aw != bw || ah != bh) {
		std::printf("sizes differ: %ux%u and %ux%u\n", aw, ah, bw, bh);
		return 2;
	}
	size_t differ = 0;
	int largest = 0;
	for (size_t i = 0; i < a.size(); i++) {
		if (a[i] == b[i])
			continue;
		differ++;
		for (int shift = 0; shift < 24; shift += 8) {
			const int delta = std::abs(int((a[i] >> shift) & 0xff) - int((b[i] >> shift) & 0xff));
			largest = std::max(largest, delta);
		}
	}
	std::printf("%zu of %zu pixels differ, by at most %d\n", differ, a.size(), largest);
	return 0;
}

template <typename Window>
Window* Shown()
{
	for (const BMessenger& messenger : BPrivate::WindowServerLink::Windows()) {
		BLooper* looper = nullptr;
		messenger.Target(&looper);
		if (auto* window = dynamic_cast<Window*>(looper))
			return window;
	}
	return nullptr;
}

void Save(BWindow* window, const std::string& path)
{
	Screen::WaitForIdle(20000000);
	if (window == nullptr || Screen::SaveWindowPng(window, path.c_str()) != B_OK)
		std::fprintf(stderr, "no picture for %s\n", path.c_str());
}

int Capture(const std::string& folder, const char* book, int32 row)
{
	Screen::Use();
	std::promise<void> ready;
	std::thread application([&ready] {
		BApplication app("application/x-vnd.cvab-capture");
		ready.set_value();
		app.Run();
	});
	ready.get_future().wait();

	entry_ref ref;
	get_ref_for_path(book, &ref);
	auto* window = new CVABWindow(BRect(20, 20, 719, 419), nullptr);
	BMessage refs(B_REFS_RECEIVED);
	refs.AddRef("refs", &ref);
	window->ReadBookFile(&refs);
	Screen::WaitForIdle(20000000);
	std::string lastName;
	{
		BAutolock lock(window);
		window->ListView()->Select(row);
		const ABookRecord* record = window->Book()->FirstRecord();
		for (int32 i = 0; i < row && record->Next() != nullptr; i++)
			record = record->Next();
		lastName = record->Field(3);
	}
	Save(window, folder + "/main.png");

	window->PostMessage(kModifyRecordCommand);
	Screen::WaitForIdle(20000000);
	Save(Shown<CVABEditRecordsWindow>(), folder + "/editor.png");

	window->PostMessage(kFindCommand);
	Screen::WaitForIdle(20000000);
	Screen::TypeText(lastName.c_str());
	Save(Shown<CVABFindWindow>(), folder + "/find.png");

	be_app->PostMessage(B_QUIT_REQUESTED);
	application.join();
	return 0;
}

}  // namespace

int main(int argc, char** argv)
{
	if (argc == 4 && std::string(argv[1]) == "--compare")
		return Compare(argv[2], argv[3]);
	if (argc != 3 && argc != 4) {
		std::fprintf(stderr, "usage: cvab-capture FOLDER BOOK [ROW] | --compare A.png B.png\n");
		return 64;
	}
	return Capture(argv[1], argv[2], argc == 4 ? std::atoi(argv[3]) : 0);
}
