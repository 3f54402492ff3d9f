// BApplication: the one application object of a process. Its loop runs in the thread
// that calls Run. Command-line arguments that name existing entries arrive as one
// B_REFS_RECEIVED (field "refs"), others as B_ARGV_RECEIVED, both before ReadyToRun.
// Threading: constructed and run by the main thread; the looper rules apply.
#ifndef _APPLICATION_H
#define _APPLICATION_H

#include <Looper.h>
#include <Messenger.h>

#include <string>

struct app_info;
class BClipboard;

class BApplication : public BLooper {
public:
	explicit BApplication(const char* signature);
	BApplication(const char* signature, status_t* error);
	virtual ~BApplication();

	status_t InitCheck() const;
	const char* Signature() const;

	// Runs the loop in the calling thread until Quit; returns that thread's id.
	// SIGTERM, SIGINT and SIGHUP arrive meanwhile as B_QUIT_REQUESTED, carrying
	// the signal's number as int32 "signal" (nobody may be there to answer). Before it
	// returns, every window still open is asked to quit (QuitRequested) and quit.
	virtual thread_id Run();
	// From the loop's thread: Run returns after this dispatch. From another thread:
	// posts the quit and returns. The object is not deleted (its creator does that).
	virtual void Quit();
	// Default: asks every window, through the interface kit, to quit.
	virtual bool QuitRequested();

	virtual void ReadyToRun();
	virtual void RefsReceived(BMessage* message);
	virtual void ArgvReceived(int32 argc, char** argv);
	virtual void AboutRequested();
	virtual void Pulse();
	virtual void MessageReceived(BMessage* message);
	virtual void DispatchMessage(BMessage* message, BHandler* handler);

	virtual status_t GetSupportedSuites(BMessage* data);

	bool IsLaunching() const;
	status_t GetAppInfo(app_info* info) const;
	// Passes the cursor to the display server once one is running.
	void SetCursor(const void* cursor);

private:
	void _Init(const char* signature, status_t* error);
	void _PostLaunchMessages();
	void _StartListening();

	std::string fSignature;
	status_t fInitStatus = B_NO_INIT;
	bool fReadyToRunCalled = false;
};

extern BApplication* be_app;
extern BMessenger be_app_messenger;

#endif
