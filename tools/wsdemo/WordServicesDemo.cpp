// A small editor that is a Word Services client: a text view, and a Services
// menu holding the menu strings of every server the query
// "WordServicesServer = 1" finds. Choosing one sends the selection (or, with
// nothing selected, the whole text) to that server, starting it when it is not
// running, and serves the stretch through the scripting protocol: the server
// reads it, and deletes and inserts in it, while the view shows it.
//
// Try it: start the address book (build/app/cvab) with a book that has a record
// whose nickname is, say, bob; start build/tools/wsdemo/wsdemo; type
// "write to bob", select it (Ctrl+A), and choose Services > Look Up E-Mail Address.
//
// Sections: the selection as a text store; the window.
#include "DemoApp.h"

#include "WordServicesClient.h"
#include "WordServicesDefs.h"
#include "WordServicesTextTarget.h"

#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <StringView.h>
#include <TextView.h>
#include <View.h>
#include <Window.h>

#include <cstring>
#include <string>
#include <thread>

namespace {

constexpr uint32 kUseService = 'wsus';
constexpr uint32 kRescan = 'wsrs';
constexpr uint32 kQuit = 'wsqt';
constexpr uint32 kServerReached = 'wsrc';
constexpr bigtime_t kServerStartTimeout = 10000000;
const float kMenuBarHeight = 20;

// --- the selection as a text store

// The stretch [start, start + length) of a text view, which follows the
// server's deletions and insertions. Called in the window's thread.
class SelectionStore : public TextStore {
public:
	explicit SelectionStore(BTextView* view) : fView(view) {}

	void SetStretch(int32 start, int32 length)
	{
		fStart = start;
		fLength = length;
	}
	int32 Start() const { return fStart; }

	int32 Length() const override { return fLength; }

	std::string Get(int32 offset, int32 length) const override
	{
		return std::string(fView->Text() + fStart + offset, length);
	}

	status_t Delete(int32 offset, int32 length) override
	{
		fView->Delete(fStart + offset, fStart + offset + length);
		fLength -= length;
		return B_OK;
	}

	status_t Insert(int32 offset, const std::string& text) override
	{
		fView->Insert(fStart + offset, text.c_str(), static_cast<int32>(text.size()));
		fLength += static_cast<int32>(text.size());
		return B_OK;
	}

	status_t Hilite(int32 offset, int32 length, bool on) override
	{
		if (on)
			fView->Select(fStart + offset, fStart + offset + length);
		else
			fView->Select(fStart + offset, fStart + offset);
		return B_OK;
	}

private:
	BTextView* fView;
	int32 fStart = 0;
	int32 fLength = 0;
};

// --- the window

class DemoWindow : public BWindow {
public:
	DemoWindow()
		: BWindow(BRect(120, 120, 620, 420), "Word Services Demo", B_DOCUMENT_WINDOW, 0)
	{
		fBar = new BMenuBar(BRect(0, 0, Bounds().right, kMenuBarHeight - 1), "menu bar");
		BMenu* file = new BMenu("File");
		file->AddItem(new BMenuItem("Find services again", new BMessage(kRescan), 'R'));
		file->AddItem(new BMenuItem("Quit", new BMessage(kQuit), 'Q'));
		fBar->AddItem(file);
		fServices = new BMenu("Services");
		fBar->AddItem(fServices);
		AddChild(fBar);

		BView* background = demo::AddBackground(this, kMenuBarHeight);
		const BRect bounds = background->Bounds();
		fText = new BTextView(BRect(8, 8, bounds.right - 8, bounds.bottom - 30), "text",
			BRect(4, 4, bounds.right - 24, 2000), B_FOLLOW_ALL,
			B_WILL_DRAW | B_PULSE_NEEDED | B_NAVIGABLE);
		background->AddChild(fText);
		fStatus = new BStringView(BRect(8, bounds.bottom - 24, bounds.right - 8,
			bounds.bottom - 6), "status", "", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM);
		background->AddChild(fStatus);

		fStore = std::make_unique<SelectionStore>(fText);
		fTarget = new WordServicesTextTarget(fStore.get(), "selection");
		AddHandler(fTarget);
		_FindServices();
		fText->MakeFocus(true);
	}

	~DemoWindow() override
	{
		if (fStarter.joinable())
			fStarter.join();
	}

	void MessageReceived(BMessage* message) override
	{
		switch (message->what) {
			case kUseService:
				_UseService(message);
				break;
			case kServerReached:
				_ServerReached(message);
				break;
			case kWordServicesStop:
				_SessionOver();
				break;
			case kRescan:
				_FindServices();
				break;
			case kQuit:
				be_app->PostMessage(B_QUIT_REQUESTED);
				break;
			default:
				BWindow::MessageReceived(message);
				break;
		}
	}

	bool QuitRequested() override
	{
		be_app->PostMessage(B_QUIT_REQUESTED);
		return true;
	}

private:
	void _FindServices()
	{
		while (fServices->CountItems() > 0)
			delete fServices->RemoveItem(static_cast<int32>(0));
		const std::vector<word_server> servers = FindWordServers();
		for (const word_server& server : servers) {
			for (size_t i = 0; i < server.menuStrings.size(); i++) {
				BMessage* use = new BMessage(kUseService);
				use->AddString("signature", server.signature.c_str());
				use->AddString("executable", ServerExecutable(server).c_str());
				use->AddInt32("index", static_cast<int32>(i));
				fServices->AddItem(new BMenuItem(server.menuStrings[i].c_str(), use));
			}
		}
		if (servers.empty()) {
			BMenuItem* none = new BMenuItem("No services found", nullptr);
			none->SetEnabled(false);
			fServices->AddItem(none);
		}
		_SetStatus(std::to_string(servers.size()) + " Word Services server"
			+ (servers.size() == 1 ? "" : "s") + " found");
	}

	void _UseService(const BMessage* message)
	{
		if (fBusy)
			return;
		const char* signature = message->GetString("signature", "");
		const char* executable = message->GetString("executable", "");
		const int32 index = message->GetInt32("index", 0);
		int32 start = 0, end = 0;
		fText->GetSelection(&start, &end);
		if (start == end) {
			start = 0;
			end = static_cast<int32>(strlen(fText->Text()));
		}
		fStore->SetStretch(start, end - start);
		// The stretch's offsets hold only while nobody else edits the text.
		fBusy = true;
		fText->MakeEditable(false);
		BMessenger server;
		if (ReachWordServer(signature, false, 0, &server) == B_OK) {
			_SendRequest(server, index);
			return;
		}
		// Starting the server takes a while: wait for it on another thread so
		// that this window keeps drawing and answering.
		_SetStatus(std::string("Starting ") + signature + "...");
		if (fStarter.joinable())
			fStarter.join();
		fStarter = std::thread([window = BMessenger(this), signature = std::string(signature),
			executable = std::string(executable), index] {
			BMessenger found;
			BMessage reached(kServerReached);
			reached.AddInt32("status", ReachWordServer(signature.c_str(), true,
				kServerStartTimeout, &found, executable));
			reached.AddMessenger("server", found);
			reached.AddString("signature", signature.c_str());
			reached.AddInt32("index", index);
			window.SendMessage(&reached);
		});
	}

	void _ServerReached(const BMessage* message)
	{
		BMessenger server;
		if (message->GetInt32("status", B_ERROR) != B_OK
			|| message->FindMessenger("server", &server) != B_OK) {
			_EndWithStatus(std::string("Cannot reach ") + message->GetString("signature", ""));
			return;
		}
		_SendRequest(server, message->GetInt32("index", 0));
	}

	void _SendRequest(const BMessenger& server, int32 index)
	{
		const status_t status = SendWordServicesRequest(server, index,
			{BMessenger(fTarget, this)}, BMessenger(this));
		if (status != B_OK) {
			_EndWithStatus(status == B_TIMED_OUT ? "The server did not take the request in time"
				: "The server refused the request (error " + std::to_string(status) + ")");
			return;
		}
		_SetStatus("Looking up...");
	}

	void _EndWithStatus(const std::string& text)
	{
		fBusy = false;
		fText->MakeEditable(true);
		_SetStatus(text);
	}

	void _SessionOver()
	{
		_EndWithStatus("Done");
		fText->Select(fStore->Start(), fStore->Start() + fStore->Length());
		fText->MakeFocus(true);
	}

	void _SetStatus(const std::string& text) { fStatus->SetText(text.c_str()); }

	BMenuBar* fBar;
	BMenu* fServices;
	BTextView* fText;
	BStringView* fStatus;
	std::unique_ptr<SelectionStore> fStore;
	WordServicesTextTarget* fTarget;
	bool fBusy = false;
	std::thread fStarter;  // waits for a server being started
};

}  // namespace

int main(int argc, char** argv)
{
	return demo::RunDemo(argc, argv, "application/x-vnd.corvane-wsdemo",
		[] { return new DemoWindow(); });
}
