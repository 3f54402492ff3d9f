// BMessage: a command code plus named fields, each holding one or more items of one
// type. Messages flatten to a byte format that survives a trip to another process.
// Threading: not shared; one thread uses a message at a time (a looper's current
// message belongs to the looper's thread while it is dispatched).
#ifndef _MESSAGE_H
#define _MESSAGE_H

#include <AppDefs.h>
#include <TypeConstants.h>

#include <memory>
#include <string>

class BHandler;
class BMessenger;
class BPoint;
class BRect;
struct entry_ref;

namespace BPrivate {
class MessageAccess;
}

class BMessage {
public:
	uint32 what = 0;

	BMessage();
	BMessage(uint32 what);
	BMessage(const BMessage& other);
	BMessage& operator=(const BMessage& other);
	virtual ~BMessage();

	// Fields.
	status_t GetInfo(const char* name, type_code* typeFound, int32* countFound = nullptr) const;
	status_t GetInfo(const char* name, type_code* typeFound, bool* fixedSize) const;
	status_t GetInfo(type_code typeRequested, int32 index, const char** nameFound,
		type_code* typeFound, int32* countFound = nullptr) const;
	status_t GetInfo(type_code typeRequested, int32 index, char** nameFound,
		type_code* typeFound, int32* countFound = nullptr) const;
	int32 CountNames(type_code type) const;
	bool IsEmpty() const;
	status_t MakeEmpty();
	bool HasData(const char* name, type_code type, int32 index = 0) const;
	void PrintToStream() const;

	status_t RemoveName(const char* name);
	status_t RemoveData(const char* name, int32 index = 0);

	// Raw data. A fixed-size field holds items of one size only; numItems is a hint.
	status_t AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
		bool isFixedSize = true, int32 numItems = 1);
	status_t FindData(const char* name, type_code type, const void** data,
		ssize_t* numBytes) const;
	status_t FindData(const char* name, type_code type, int32 index, const void** data,
		ssize_t* numBytes) const;
	status_t ReplaceData(const char* name, type_code type, const void* data, ssize_t numBytes);
	status_t ReplaceData(const char* name, type_code type, int32 index, const void* data,
		ssize_t numBytes);

#define CVAB_MESSAGE_TYPED_ACCESS(Name, Type)                                                  \
	status_t Add##Name(const char* name, Type value);                                         \
	status_t Find##Name(const char* name, Type* value) const;                                  \
	status_t Find##Name(const char* name, int32 index, Type* value) const;                     \
	status_t Replace##Name(const char* name, Type value);                                      \
	status_t Replace##Name(const char* name, int32 index, Type value);                         \
	Type Get##Name(const char* name, Type defaultValue) const;                                 \
	Type Get##Name(const char* name, int32 index, Type defaultValue) const;                    \
	bool Has##Name(const char* name, int32 index = 0) const;

	CVAB_MESSAGE_TYPED_ACCESS(Int8, int8)
	CVAB_MESSAGE_TYPED_ACCESS(UInt8, uint8)
	CVAB_MESSAGE_TYPED_ACCESS(Int16, int16)
	CVAB_MESSAGE_TYPED_ACCESS(UInt16, uint16)
	CVAB_MESSAGE_TYPED_ACCESS(Int32, int32)
	CVAB_MESSAGE_TYPED_ACCESS(UInt32, uint32)
	CVAB_MESSAGE_TYPED_ACCESS(Int64, int64)
	CVAB_MESSAGE_TYPED_ACCESS(UInt64, uint64)
	CVAB_MESSAGE_TYPED_ACCESS(Bool, bool)
	CVAB_MESSAGE_TYPED_ACCESS(Float, float)
	CVAB_MESSAGE_TYPED_ACCESS(Double, double)
	CVAB_MESSAGE_TYPED_ACCESS(Point, BPoint)
	CVAB_MESSAGE_TYPED_ACCESS(Rect, BRect)
#undef CVAB_MESSAGE_TYPED_ACCESS

	// Strings are stored with their terminating NUL.
	status_t AddString(const char* name, const char* string);
	status_t AddString(const char* name, const std::string& string);
	status_t FindString(const char* name, const char** string) const;
	status_t FindString(const char* name, int32 index, const char** string) const;
	status_t FindString(const char* name, std::string* string) const;
	status_t FindString(const char* name, int32 index, std::string* string) const;
	status_t ReplaceString(const char* name, const char* string);
	status_t ReplaceString(const char* name, int32 index, const char* string);
	const char* GetString(const char* name, const char* defaultValue = nullptr) const;
	const char* GetString(const char* name, int32 index, const char* defaultValue) const;
	bool HasString(const char* name, int32 index = 0) const;

	status_t AddPointer(const char* name, const void* pointer);
	status_t FindPointer(const char* name, void** pointer) const;
	status_t FindPointer(const char* name, int32 index, void** pointer) const;
	status_t ReplacePointer(const char* name, const void* pointer);
	bool HasPointer(const char* name, int32 index = 0) const;

	status_t AddRef(const char* name, const entry_ref* ref);
	status_t FindRef(const char* name, entry_ref* ref) const;
	status_t FindRef(const char* name, int32 index, entry_ref* ref) const;
	status_t ReplaceRef(const char* name, const entry_ref* ref);
	status_t ReplaceRef(const char* name, int32 index, const entry_ref* ref);
	bool HasRef(const char* name, int32 index = 0) const;

	status_t AddMessenger(const char* name, const BMessenger& messenger);
	status_t FindMessenger(const char* name, BMessenger* messenger) const;
	status_t FindMessenger(const char* name, int32 index, BMessenger* messenger) const;
	status_t ReplaceMessenger(const char* name, const BMessenger& messenger);
	bool HasMessenger(const char* name, int32 index = 0) const;

	status_t AddMessage(const char* name, const BMessage* message);
	status_t FindMessage(const char* name, BMessage* message) const;
	status_t FindMessage(const char* name, int32 index, BMessage* message) const;
	status_t ReplaceMessage(const char* name, const BMessage* message);
	status_t ReplaceMessage(const char* name, int32 index, const BMessage* message);
	bool HasMessage(const char* name, int32 index = 0) const;

	// Flattening.
	ssize_t FlattenedSize() const;
	status_t Flatten(char* buffer, ssize_t size) const;
	// Reads the size the data declares; prefer the bounded form for untrusted bytes.
	status_t Unflatten(const char* data);
	// Never reads past size; on error the message is left empty.
	status_t Unflatten(const char* data, size_t size);

	// Scripting specifiers, kept in the field "specifiers".
	status_t AddSpecifier(const char* property);
	status_t AddSpecifier(const char* property, int32 index);
	status_t AddSpecifier(const char* property, int32 index, int32 range);
	status_t AddSpecifier(const char* property, const char* name);
	status_t AddSpecifier(const BMessage* specifier);
	status_t GetCurrentSpecifier(int32* index, BMessage* specifier = nullptr,
		int32* what = nullptr, const char** property = nullptr) const;
	status_t PopSpecifier();
	bool HasSpecifiers() const;

	// Delivery and replies.
	BMessenger ReturnAddress() const;
	bool IsSourceWaiting() const;
	bool IsSourceRemote() const;
	bool WasDelivered() const;
	bool IsReply() const;

	status_t SendReply(uint32 command, BHandler* replyTo = nullptr);
	status_t SendReply(BMessage* reply, BHandler* replyTo = nullptr,
		bigtime_t timeout = B_INFINITE_TIMEOUT);
	status_t SendReply(BMessage* reply, BMessenger replyTo,
		bigtime_t timeout = B_INFINITE_TIMEOUT);
	status_t SendReply(uint32 command, BMessage* replyToReply);
	status_t SendReply(BMessage* reply, BMessage* replyToReply,
		bigtime_t sendTimeout = B_INFINITE_TIMEOUT, bigtime_t replyTimeout = B_INFINITE_TIMEOUT);

private:
	friend class BPrivate::MessageAccess;
	struct Body;

	status_t _Add(const char* name, type_code type, const void* data, size_t size, bool fixed);
	status_t _Find(const char* name, type_code type, int32 index, const void** data,
		size_t* size) const;
	status_t _Replace(const char* name, type_code type, int32 index, const void* data,
		size_t size);
	status_t _SendReply(BMessage* reply, const BMessenger& replyTo, bigtime_t sendTimeout,
		BMessage* replyToReply, bigtime_t replyTimeout);

	std::unique_ptr<Body> fBody;

	// Addressing: where the message goes within its looper, and where a reply goes.
	int32 fTargetToken = B_NULL_TOKEN;
	team_id fReplyTeam = -1;
	int32 fReplyPort = -1;
	int32 fReplyHandler = B_NULL_TOKEN;
	int32 fCurrentSpecifier = -1;
	uint32 fFlags = 0;
};

#endif
