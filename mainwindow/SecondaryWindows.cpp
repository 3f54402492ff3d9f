#include "SecondaryWindows.h"

#include "CVABEntryWindow.h"
#include "CVABFindWindow.h"
#include "CVABModifyWindow.h"

#include <Looper.h>

#include <algorithm>
#include <cassert>

SecondaryWindows::SecondaryWindows(BLooper* bookWindow)
	: fOwner(bookWindow),
	  fBookWindow(bookWindow)
{
}

void SecondaryWindows::_AssertLocked() const
{
	assert(fOwner->IsLocked());
}

void SecondaryWindows::OpenFind()
{
	CVABFindWindow* find = new CVABFindWindow(fBookWindow);
	fFindWindow = BMessenger(find);
	_Open(find);
}

bool SecondaryWindows::FindNext()
{
	if (!fFindWindow.IsValid())
		return false;
	fFindWindow.SendMessage(kFindAgainCommand);
	return true;
}

void SecondaryWindows::OpenEditor(const ABookRecord* record)
{
	if (record != nullptr)
		_Open(new CVABModifyWindow(fBookWindow, record));
	else
		_Open(new CVABEntryWindow(fBookWindow));
}

void SecondaryWindows::_Open(BWindow* window)
{
	_AssertLocked();
	std::erase_if(fOpen, [](const BMessenger& open) { return !open.IsValid(); });
	fOpen.emplace_back(window);
	window->Show();
}

void SecondaryWindows::CloseAll()
{
	_AssertLocked();
	for (const BMessenger& window : fOpen)
		window.SendMessage(B_QUIT_REQUESTED);
	fOpen.clear();
}
