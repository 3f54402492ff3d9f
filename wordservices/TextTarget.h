// The client's text target of Word Services: a handler that answers the
// scripting messages a server sends to one stretch of text:
//   B_GET_PROPERTY "Size" (direct): int32 "result", the stretch's length in bytes;
//   B_GET_PROPERTY "Text" (range index, range; or reverse range): string "result";
//   B_SET_PROPERTY "Text" (reverse range, counted from the end of the stretch):
//     without "data" deletes the range; with string "data" inserts it where the
//     range starts; int32 "error" in the reply;
//   B_SET_PROPERTY "BackgroundHilite" (reverse range) with bool "data".
// The text itself is kept by a TextStore: a string, or a text view's selection.
// Threading: the looper the handler is added to.
#ifndef _TEXT_TARGET_H
#define _TEXT_TARGET_H

#include <Handler.h>

#include <functional>
#include <string>

class TextStore {
public:
	virtual ~TextStore() = default;
	// The served stretch, from its start.
	virtual int32 Length() const = 0;
	virtual std::string Get(int32 offset, int32 length) const = 0;
	virtual status_t Delete(int32 offset, int32 length) = 0;
	virtual status_t Insert(int32 offset, const std::string& text) = 0;
	virtual status_t Hilite(int32 offset, int32 length, bool on) = 0;
};

// The stretch is the whole string.
class StringTextStore : public TextStore {
public:
	explicit StringTextStore(std::string text = std::string()) : fText(std::move(text)) {}

	int32 Length() const override { return static_cast<int32>(fText.size()); }
	std::string Get(int32 offset, int32 length) const override;
	status_t Delete(int32 offset, int32 length) override;
	status_t Insert(int32 offset, const std::string& text) override;
	status_t Hilite(int32, int32, bool) override { return B_OK; }

	const std::string& Text() const { return fText; }
	void SetText(const std::string& text) { fText = text; }

private:
	std::string fText;
};

class WordServicesTextTarget : public BHandler {
public:
	// The target does not own store.
	WordServicesTextTarget(TextStore* store, const char* name = "word services target");

	BHandler* ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier,
		int32 what, const char* property) override;
	void MessageReceived(BMessage* message) override;

	// Called after every request answered (tests and demos watch with it).
	void SetObserver(std::function<void(const BMessage& request)> observer)
	{
		fObserver = std::move(observer);
	}

private:
	void _Reply(BMessage* message, status_t error, const std::string* result = nullptr,
		const int32* size = nullptr);

	TextStore* fStore;
	std::function<void(const BMessage&)> fObserver;
};

#endif
