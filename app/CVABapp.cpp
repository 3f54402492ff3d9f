// Sections: construction; opening books; commands; the window list.
#include "CVABapp.h"

#include "BookFile.h"
#include "BookJournal.h"
#include "CVABAboutWindow.h"
#include "CVABTechWindow.h"
#include "CVABWindow.h"
#include "CommandCodes.h"
#include "InstanceHandover.h"
#include "LayoutFunctions.h"
#include "WordServicesDefs.h"

#include <Entry.h>
#include <Path.h>
#include <Screen.h>

#include <algorithm>

const char kAppSignature[] = "application/x-vnd.tarvish-cvabdj";

namespace {

const BRect kNewBookFrame(20, 20, 550, 200);
// A book without a frame of its own: room for the header strip and about twenty
// rows.
const BRect kUnframedBookFrame(0, 0, 799, 399);

// The path a window would record for ref: absolute, links resolved, and the
// leaf kept when the file does not exist yet.
std::string PathFor(const entry_ref& ref)
{
	BEntry entry(&ref, true);
	BPath path;
	if (entry.GetPath(&path) != B_OK || path.Path() == nullptr)
		return std::string();
	return path.Path();
}

}  // namespace

// --- construction

CVABapp::CVABapp()
	: BApplication(kAppSignature),
	  fSettings("x-vnd.tarvish-cvabdj", "settings")
{
	fWordServices.Register(kAppSignature);
}

CVABapp::~CVABapp() = default;

// --- opening books

void CVABapp::ReadyToRun()
{
	const bool offered = _OfferLeftNewBooks();
	if (fFileOpened)
		return;
	if (!fPendingNewFile.empty()) {
		entry_ref ref;
		if (get_ref_for_path(fPendingNewFile.c_str(), &ref) == B_OK) {
			_OpenBook(ref);
			return;
		}
	}
	const std::string last = fSettings.LastFile();
	entry_ref ref;
	if (!last.empty() && get_ref_for_path(last.c_str(), &ref) == B_OK)
		_OpenBook(ref);
	else if (!offered)
		_OpenNewBook();
}

// New books whose records a window held when the program last ended, each in
// a window that asks whether to recover them.
bool CVABapp::_OfferLeftNewBooks()
{
	const std::vector<std::string> left = FindLeftNewBookJournals();
	for (const std::string& path : left) {
		CVABWindow* window = new CVABWindow(kNewBookFrame, this);
		fWindows.Add(window);
		window->StartLeftNewBook(path);
	}
	return !left.empty();
}

void CVABapp::RefsReceived(BMessage* message)
{
	entry_ref ref;
	if (message->FindRef("refs", 0, &ref) != B_OK)
		return;
	fFileOpened = true;
	// A second window on the same file would lose the other's changes at the
	// last silent save.
	const BMessenger open = fWindows.FindByPath(PathFor(ref));
	if (open.IsValid())
		open.SendMessage(kBringForwardCommand);
	else
		_OpenBook(ref);
}

// Options were dealt with by main; what is left names files that do not exist
// yet (existing ones arrive as refs).
void CVABapp::ArgvReceived(int32 argc, char** argv)
{
	if (!IsLaunching())
		return;
	for (int32 i = 1; i < argc; i++) {
		if (argv[i][0] != '-' && fPendingNewFile.empty())
			fPendingNewFile = argv[i];
	}
}

void CVABapp::_OpenNewBook()
{
	CVABWindow* window = new CVABWindow(kNewBookFrame, this);
	fWindows.Add(window);
	window->StartNewBook();
}

void CVABapp::_OpenBook(const entry_ref& ref)
{
	CVABWindow* window = new CVABWindow(_FrameFor(ref), this);
	fWindows.Add(window);
	// Known at once, though the window reads the file in its own time: the
	// same file handed over again meanwhile brings this window forward.
	fWindows.SetPath(window, PathFor(ref));
	BMessage refs(B_REFS_RECEIVED);
	refs.AddRef("refs", &ref);
	window->ReadBookFile(&refs);
}

BRect CVABapp::_FrameFor(const entry_ref& ref) const
{
	const BRect screen = BScreen(B_MAIN_SCREEN_ID).Frame();
	book_frame frame;
	if (ReadBookFrame(&ref, &frame) == B_OK
		&& IsUsableFrame(frame, screen.Width() + 1, screen.Height() + 1))
		return BRect(frame.left, frame.top, frame.right, frame.bottom);
	// Within the window's size limits, so it stays centred.
	BRect unframed = kUnframedBookFrame;
	unframed.right = std::min(unframed.right, screen.right - 20);
	unframed.bottom = std::min(unframed.bottom, screen.Height());
	return CenterOnScreen(unframed);
}

// --- commands

void CVABapp::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kAppNewBook:
			_OpenNewBook();
			break;
		case kAppIdentify: {
			BMessage reply(B_REPLY);
			reply.AddString("display", CurrentDisplayName().c_str());
			message->SendReply(&reply);
			break;
		}
		case kAppActivate: {
			const BMessenger newest = fWindows.MostRecent();
			if (newest.IsValid())
				newest.SendMessage(kBringForwardCommand);
			else
				_OpenNewBook();
			break;
		}
		case kWordServicesRequest:
			fWordServices.StartSession(message);
			break;
		case kWordServicesEnd:
			fWordServices.EndSession(message);
			break;
		case kAppAbout:
			(new CVABAboutWindow())->Show();
			break;
		case kAppSupport:
			(new CVABTechWindow())->Show();
			break;
		case B_KEY_DOWN:
		case B_MOUSE_DOWN:
			break;
		default:
			BApplication::MessageReceived(message);
			break;
	}
}

// Every window is asked, so each saves its modified book; one that cannot
// close yet (its save failed, or it asks a question first) keeps the
// application running.
bool CVABapp::QuitRequested()
{
	const BMessage* message = CurrentMessage();
	fEndingOnSignal = message != nullptr && message->HasInt32("signal");
	const bool quitting = BApplication::QuitRequested();
	if (!quitting)
		fEndingOnSignal = false;
	return quitting;
}

// --- the window list

void CVABapp::WindowActivated(CVABWindow* window)
{
	fWindows.SetActive(window);
}

void CVABapp::WindowClosed(CVABWindow* window)
{
	if (fWindows.Remove(window))
		PostMessage(B_QUIT_REQUESTED);
}

void CVABapp::WindowFileChanged(CVABWindow* window, const std::string& path)
{
	fWindows.SetPath(window, path);
}

void CVABapp::StoreLastFile(const std::string& path)
{
	fSettings.SetLastFile(path);
}
