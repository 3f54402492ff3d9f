// Sections: the window lock; construction; showing and the hooks; settings.
#include <FilePanel.h>

#include "PanelWindow.h"

#include <Application.h>
#include <Directory.h>
#include <FindDirectory.h>
#include <Path.h>

using BPrivate::PanelSettings;
using BPrivate::PanelWindow;

namespace {

std::string HomeFolder()
{
	BPath home;
	return find_directory(B_USER_DIRECTORY, &home) == B_OK ? home.Path() : "/";
}

std::string FolderOf(const entry_ref* ref)
{
	BPath path(ref);
	return path.InitCheck() == B_OK ? path.Path() : std::string();
}

}  // namespace

BRefFilter::~BRefFilter() = default;

// #pragma mark - the window lock

// The window is reached through its messenger: the application may have quit it
// (when it quits), and then the lock fails instead of touching a dead window.
class BFilePanel::WindowLock {
public:
	explicit WindowLock(const BFilePanel& panel)
		: fWindow(panel.fWindowMessenger.LockTarget() ? panel.fWindow : nullptr)
	{
	}
	~WindowLock()
	{
		if (fWindow != nullptr)
			fWindow->Unlock();
	}
	PanelWindow* operator->() const { return fWindow; }
	explicit operator bool() const { return fWindow != nullptr; }

private:
	PanelWindow* fWindow;
};

// #pragma mark - construction

BFilePanel::BFilePanel(file_panel_mode mode, BMessenger* target, const entry_ref* directory,
	uint32 nodeFlavors, bool allowMultipleSelection, BMessage* message, BRefFilter* filter,
	bool modal, bool hideWhenDone)
	: fMode(mode)
{
	PanelSettings settings;
	settings.mode = mode;
	settings.target = target != nullptr ? *target : be_app_messenger;
	settings.folder = directory != nullptr ? FolderOf(directory) : HomeFolder();
	settings.flavors = nodeFlavors;
	settings.multipleSelection = allowMultipleSelection;
	settings.message = message;
	settings.filter = filter;
	settings.modal = modal;
	settings.hideWhenDone = hideWhenDone;
	fWindow = new PanelWindow(this, settings);
	fWindowMessenger = BMessenger(fWindow);
	// A new window is locked by its creator.
	fWindow->Unlock();
}

BFilePanel::~BFilePanel()
{
	if (fWindowMessenger.LockTarget())
		fWindow->Quit();
}

// #pragma mark - showing and the hooks

void BFilePanel::Show()
{
	if (WindowLock window{*this})
		window->ShowPanel();
}

void BFilePanel::Hide()
{
	if (WindowLock window{*this})
		window->HidePanel();
}

bool BFilePanel::IsShowing() const
{
	WindowLock window(*this);
	return window && window->IsShowing();
}

void BFilePanel::WasHidden() {}

void BFilePanel::SelectionChanged() {}

void BFilePanel::SendMessage(const BMessenger* target, BMessage* message)
{
	if (target != nullptr && message != nullptr)
		target->SendMessage(message);
}

// #pragma mark - settings

BWindow* BFilePanel::Window() const
{
	return fWindow;
}

BMessenger BFilePanel::Messenger() const
{
	return fWindowMessenger;
}

BRefFilter* BFilePanel::RefFilter() const
{
	WindowLock window(*this);
	return window ? window->Filter() : nullptr;
}

void BFilePanel::SetRefFilter(BRefFilter* filter)
{
	if (WindowLock window{*this})
		window->SetFilter(filter);
}

void BFilePanel::SetTarget(BMessenger target)
{
	if (WindowLock window{*this})
		window->SetTarget(target);
}

void BFilePanel::SetMessage(BMessage* message)
{
	if (WindowLock window{*this})
		window->SetMessage(message);
}

void BFilePanel::SetPanelDirectory(const BEntry* entry)
{
	BPath path;
	if (entry != nullptr && entry->GetPath(&path) == B_OK)
		SetPanelDirectory(path.Path());
}

void BFilePanel::SetPanelDirectory(const BDirectory* directory)
{
	BEntry entry;
	if (directory != nullptr && directory->GetEntry(&entry) == B_OK)
		SetPanelDirectory(&entry);
}

void BFilePanel::SetPanelDirectory(const entry_ref* ref)
{
	if (ref != nullptr)
		SetPanelDirectory(FolderOf(ref).c_str());
}

void BFilePanel::SetPanelDirectory(const char* path)
{
	if (WindowLock window{*this})
		window->SetFolder(path);
}

void BFilePanel::GetPanelDirectory(entry_ref* ref) const
{
	WindowLock window(*this);
	if (ref != nullptr && window)
		BEntry(window->Folder().c_str()).GetRef(ref);
}

void BFilePanel::SetSaveText(const char* text)
{
	if (WindowLock window{*this})
		window->SetSaveText(text);
}

void BFilePanel::SetButtonLabel(file_panel_button button, const char* label)
{
	if (WindowLock window{*this})
		window->SetButtonLabel(button, label);
}

void BFilePanel::SetHideWhenDone(bool hideWhenDone)
{
	if (WindowLock window{*this})
		window->SetHideWhenDone(hideWhenDone);
}

bool BFilePanel::HidesWhenDone() const
{
	WindowLock window(*this);
	return window && window->HidesWhenDone();
}

void BFilePanel::Refresh()
{
	if (WindowLock window{*this})
		window->Refresh();
}

void BFilePanel::Rewind()
{
	if (WindowLock window{*this})
		window->Rewind();
}

status_t BFilePanel::GetNextSelectedRef(entry_ref* ref)
{
	WindowLock window(*this);
	return window ? window->NextSelectedRef(ref) : B_NO_INIT;
}
