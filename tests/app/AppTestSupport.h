// The real application on the headless screen, for end-to-end tests: a fresh
// home, settings and runtime folder per test, the application in its own
// thread as main runs it, and helpers that click, type and read back.
#ifndef _APP_TEST_SUPPORT_H
#define _APP_TEST_SUPPORT_H

#include "CVABWindow.h"

#include <Alert.h>
#include <Messenger.h>

#include "HeadlessScreen.h"
#include "../book/FileTestSupport.h"
#include "../platform/interface/WindowTestSupport.h"  // Locked

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

class AppTest : public testing::Test {
public:
	// Every window on screen, and the first of a class.
	static std::vector<BWindow*> Windows();
	template <typename Window>
	static Window* Find()
	{
		for (BWindow* window : Windows()) {
			if (auto* found = dynamic_cast<Window*>(window))
				return found;
		}
		return nullptr;
	}

protected:
	void SetUp() override;
	void TearDown() override;

	// Starts the application with these command-line arguments and settles.
	void Launch(const std::vector<std::string>& arguments = {});
	// Writes body as "book.cvab" with its window frame stored, launches the
	// application on it and returns its window.
	CVABWindow* OpenBook(const std::string& body, BRect frame = BRect(10, 30, 709, 329));
	// Asks the application to quit; true when it ended.
	bool Quit();
	bool Running() const { return fAppThread.joinable() && !fAppEnded; }
	// Waits up to 3 s for the application to end by itself; true when it did.
	bool Ended();
	void Settle() { ASSERT_TRUE(Screen::WaitForIdle()); }

	std::vector<BMessenger> BookWindows() const;
	// The newest main window, or null.
	CVABWindow* Front() const;
	std::vector<std::string> RowTexts(CVABWindow* window, int32 field);
	bool MenuEnabled(CVABWindow* window, const char* label);

	// Input at real coordinates (the shared ClickView clicks a view by name).
	void ClickRow(CVABWindow* window, int32 row, uint32 modifiers = 0);
	// A double-click: the second click lands on the row the first one selected.
	void DoubleClickRow(CVABWindow* window, int32 row);
	void ChooseMenu(CVABWindow* window, const char* title, const char* label);
	void Key(const char* bytes, uint32 modifiers = 0);
	void Type(const char* text);
	// The save panel that is showing, or null; naming a file in it.
	BWindow* SavePanel() const;
	void SaveAs(const char* name);
	void CancelPanel();
	// A window's title and frame; the name of its focused view ("<none>" without one).
	static std::string TitleOf(BWindow* window);
	static BRect FrameOf(BWindow* window);
	static std::string FocusName(BWindow* window);
	// The alert on screen, or null (the shared AnswerAlert clicks its buttons).
	BAlert* Alert() const { return Find<BAlert>(); }
	std::string AlertText() const;

	// Files in this test's folder.
	std::string Path(const std::string& name) const { return fDir / name; }
	std::string Home() const { return fDir / "home"; }
	static void WriteFile(const std::string& path, const std::string& bytes)
	{
		WriteContents(path, bytes);
	}
	static std::string ReadFile(const std::string& path) { return Contents(path); }
	static std::string Line(std::vector<std::string> fields);
	// Stores frame with the book at path, as its window's save would.
	static void StoreFrame(const std::string& path, BRect frame);
	// Hands path to the running application as an opened file, and settles.
	void OpenRef(const std::string& path);
	// What the browser was launched with, one line per launch.
	std::string Launched() const { return ReadFile(Path("launched")); }
	// The opener runs in a process of its own: waits up to 2 s for its line.
	std::string WaitForLaunch() const;
	// The clipboard holds only this text.
	static void PutClipboard(const std::string& text)
	{
		PutOnClipboard(text.data(), static_cast<ssize_t>(text.size()));
	}

	ScratchDir fDir;

private:
	std::thread fAppThread;
	std::atomic<bool> fAppEnded{false};
};

#endif
