#include <MessageQueue.h>

#include <OS.h>

#include <algorithm>

BMessageQueue::BMessageQueue() = default;

BMessageQueue::~BMessageQueue()
{
	for (BMessage* message : fMessages)
		delete message;
}

void BMessageQueue::AddMessage(BMessage* message)
{
	if (message == nullptr)
		return;
	std::lock_guard<std::recursive_mutex> lock(fMutex);
	fMessages.push_back(message);
}

void BMessageQueue::RemoveMessage(BMessage* message)
{
	std::lock_guard<std::recursive_mutex> lock(fMutex);
	auto found = std::find(fMessages.begin(), fMessages.end(), message);
	if (found != fMessages.end())
		fMessages.erase(found);
}

BMessage* BMessageQueue::NextMessage()
{
	std::lock_guard<std::recursive_mutex> lock(fMutex);
	if (fMessages.empty())
		return nullptr;
	BMessage* message = fMessages.front();
	fMessages.pop_front();
	return message;
}

int32 BMessageQueue::CountMessages() const
{
	std::lock_guard<std::recursive_mutex> lock(fMutex);
	return int32(fMessages.size());
}

bool BMessageQueue::IsEmpty() const
{
	std::lock_guard<std::recursive_mutex> lock(fMutex);
	return fMessages.empty();
}

BMessage* BMessageQueue::FindMessage(int32 index) const
{
	std::lock_guard<std::recursive_mutex> lock(fMutex);
	if (index < 0 || size_t(index) >= fMessages.size())
		return nullptr;
	return fMessages[index];
}

BMessage* BMessageQueue::FindMessage(uint32 what, int32 index) const
{
	std::lock_guard<std::recursive_mutex> lock(fMutex);
	for (BMessage* message : fMessages) {
		if (message->what == what && index-- == 0)
			return message;
	}
	return nullptr;
}

bool BMessageQueue::Lock()
{
	fMutex.lock();
	fOwner = find_thread(nullptr);
	fOwnerCount++;
	return true;
}

void BMessageQueue::Unlock()
{
	if (fOwner != find_thread(nullptr))
		return;
	if (--fOwnerCount == 0)
		fOwner = -1;
	fMutex.unlock();
}

bool BMessageQueue::IsLocked() const
{
	return fOwner == find_thread(nullptr);
}
