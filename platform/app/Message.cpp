// BMessage. Sections: fields and raw data; typed access; strings, pointers, refs,
// messengers and nested messages; flattening (the byte format is described there);
// specifiers; replies.
#include <Message.h>

#include <EntryRef.h>
#include <Messenger.h>
#include <Point.h>
#include <Rect.h>

#include "MessageAccess.h"
#include "MessageRouter.h"
#include "MessengerAccess.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <vector>

static_assert(std::endian::native == std::endian::little,
	"typed items are kept in memory in their flattened, little-endian form");

using BPrivate::MessageAccess;

namespace {

constexpr size_t kMaxNameLength = 255;

struct Field {
	std::string name;
	type_code type;
	bool fixedSize;
	std::vector<std::string> items;
};

bool ValidName(const char* name)
{
	if (name == nullptr)
		return false;
	const size_t length = strlen(name);
	return length > 0 && length <= kMaxNameLength;
}

}  // namespace

struct BMessage::Body {
	std::vector<Field> fields;

	Field* Find(const char* name)
	{
		for (Field& field : fields) {
			if (field.name == name)
				return &field;
		}
		return nullptr;
	}
	const Field* Find(const char* name) const
	{
		return const_cast<Body*>(this)->Find(name);
	}
};

// #pragma mark - construction

BMessage::BMessage()
	: fBody(std::make_unique<Body>())
{
}

BMessage::BMessage(uint32 command)
	: what(command),
	  fBody(std::make_unique<Body>())
{
}

BMessage::BMessage(const BMessage& other)
	: fBody(std::make_unique<Body>())
{
	*this = other;
}

// A copy keeps the fields and the return address but not the duty to answer a
// waiting sender: that stays with the delivered original.
BMessage& BMessage::operator=(const BMessage& other)
{
	if (this == &other)
		return *this;
	what = other.what;
	*fBody = *other.fBody;
	fTargetToken = other.fTargetToken;
	fReplyTeam = other.fReplyTeam;
	fReplyPort = other.fReplyPort;
	fReplyHandler = other.fReplyHandler;
	fCurrentSpecifier = other.fCurrentSpecifier;
	fFlags = other.fFlags
		& ~(BPrivate::kMessageSourceWaiting | BPrivate::kMessageReplyDone
			| BPrivate::kMessageDelivered);
	return *this;
}

BMessage::~BMessage()
{
	// A sender still waiting must hear that no answer will come.
	if (IsSourceWaiting())
		SendReply(B_NO_REPLY);
}

// #pragma mark - fields and raw data

status_t BMessage::GetInfo(const char* name, type_code* typeFound, int32* countFound) const
{
	const Field* field = ValidName(name) ? fBody->Find(name) : nullptr;
	if (field == nullptr) {
		if (typeFound != nullptr)
			*typeFound = 0;
		if (countFound != nullptr)
			*countFound = 0;
		return B_NAME_NOT_FOUND;
	}
	if (typeFound != nullptr)
		*typeFound = field->type;
	if (countFound != nullptr)
		*countFound = int32(field->items.size());
	return B_OK;
}

status_t BMessage::GetInfo(const char* name, type_code* typeFound, bool* fixedSize) const
{
	const Field* field = ValidName(name) ? fBody->Find(name) : nullptr;
	if (field == nullptr)
		return B_NAME_NOT_FOUND;
	if (typeFound != nullptr)
		*typeFound = field->type;
	if (fixedSize != nullptr)
		*fixedSize = field->fixedSize;
	return B_OK;
}

status_t BMessage::GetInfo(type_code typeRequested, int32 index, const char** nameFound,
	type_code* typeFound, int32* countFound) const
{
	if (index < 0)
		return B_BAD_INDEX;
	int32 seen = 0;
	for (const Field& field : fBody->fields) {
		if (typeRequested != B_ANY_TYPE && field.type != typeRequested)
			continue;
		if (seen++ != index)
			continue;
		if (nameFound != nullptr)
			*nameFound = field.name.c_str();
		if (typeFound != nullptr)
			*typeFound = field.type;
		if (countFound != nullptr)
			*countFound = int32(field.items.size());
		return B_OK;
	}
	return seen == 0 ? B_BAD_TYPE : B_BAD_INDEX;
}

status_t BMessage::GetInfo(type_code typeRequested, int32 index, char** nameFound,
	type_code* typeFound, int32* countFound) const
{
	const char* name = nullptr;
	const status_t status = GetInfo(typeRequested, index, &name, typeFound, countFound);
	if (status == B_OK && nameFound != nullptr)
		*nameFound = const_cast<char*>(name);
	return status;
}

int32 BMessage::CountNames(type_code type) const
{
	if (type == B_ANY_TYPE)
		return int32(fBody->fields.size());
	int32 count = 0;
	for (const Field& field : fBody->fields)
		count += field.type == type ? 1 : 0;
	return count;
}

bool BMessage::IsEmpty() const
{
	return fBody->fields.empty();
}

status_t BMessage::MakeEmpty()
{
	fBody->fields.clear();
	fCurrentSpecifier = -1;
	return B_OK;
}

bool BMessage::HasData(const char* name, type_code type, int32 index) const
{
	return _Find(name, type, index, nullptr, nullptr) == B_OK;
}

void BMessage::PrintToStream() const
{
	auto code = [](uint32 value) {
		std::string text(4, ' ');
		for (int i = 0; i < 4; i++)
			text[i] = char((value >> (24 - 8 * i)) & 0xff);
		return text;
	};
	printf("BMessage('%s') {\n", code(what).c_str());
	for (const Field& field : fBody->fields) {
		printf("  %s, type '%s', %zu item(s)\n", field.name.c_str(), code(field.type).c_str(),
			field.items.size());
	}
	printf("}\n");
}

status_t BMessage::RemoveName(const char* name)
{
	if (!ValidName(name))
		return B_BAD_VALUE;
	auto& fields = fBody->fields;
	for (auto it = fields.begin(); it != fields.end(); ++it) {
		if (it->name == name) {
			fields.erase(it);
			return B_OK;
		}
	}
	return B_NAME_NOT_FOUND;
}

status_t BMessage::RemoveData(const char* name, int32 index)
{
	if (!ValidName(name) || index < 0)
		return B_BAD_VALUE;
	Field* field = fBody->Find(name);
	if (field == nullptr)
		return B_NAME_NOT_FOUND;
	if (size_t(index) >= field->items.size())
		return B_BAD_INDEX;
	field->items.erase(field->items.begin() + index);
	if (field->items.empty())
		return RemoveName(name);
	return B_OK;
}

status_t BMessage::_Add(const char* name, type_code type, const void* data, size_t size,
	bool fixed)
{
	if (!ValidName(name) || (data == nullptr && size > 0) || type == B_ANY_TYPE)
		return B_BAD_VALUE;
	if (fixed && size == 0)
		return B_BAD_VALUE;
	Field* field = fBody->Find(name);
	if (field == nullptr) {
		fBody->fields.push_back(Field{name, type, fixed, {}});
		field = &fBody->fields.back();
	} else if (field->type != type) {
		return B_BAD_TYPE;
	} else if (field->fixedSize && field->items.front().size() != size) {
		return B_BAD_VALUE;
	}
	field->items.emplace_back(static_cast<const char*>(data), size);
	return B_OK;
}

status_t BMessage::_Find(const char* name, type_code type, int32 index, const void** data,
	size_t* size) const
{
	if (!ValidName(name) || index < 0)
		return B_BAD_VALUE;
	const Field* field = fBody->Find(name);
	if (field == nullptr)
		return B_NAME_NOT_FOUND;
	if (type != B_ANY_TYPE && field->type != type)
		return B_BAD_TYPE;
	if (size_t(index) >= field->items.size())
		return B_BAD_INDEX;
	const std::string& item = field->items[index];
	if (data != nullptr)
		*data = item.data();
	if (size != nullptr)
		*size = item.size();
	return B_OK;
}

status_t BMessage::_Replace(const char* name, type_code type, int32 index, const void* data,
	size_t size)
{
	if (!ValidName(name) || index < 0 || (data == nullptr && size > 0))
		return B_BAD_VALUE;
	Field* field = fBody->Find(name);
	if (field == nullptr)
		return B_NAME_NOT_FOUND;
	if (field->type != type)
		return B_BAD_TYPE;
	if (size_t(index) >= field->items.size())
		return B_BAD_INDEX;
	if (field->fixedSize && field->items.front().size() != size)
		return B_BAD_VALUE;
	field->items[index].assign(static_cast<const char*>(data), size);
	return B_OK;
}

status_t BMessage::AddData(const char* name, type_code type, const void* data,
	ssize_t numBytes, bool isFixedSize, int32)
{
	if (numBytes < 0)
		return B_BAD_VALUE;
	return _Add(name, type, data, size_t(numBytes), isFixedSize);
}

status_t BMessage::FindData(const char* name, type_code type, const void** data,
	ssize_t* numBytes) const
{
	return FindData(name, type, 0, data, numBytes);
}

status_t BMessage::FindData(const char* name, type_code type, int32 index, const void** data,
	ssize_t* numBytes) const
{
	size_t size = 0;
	const status_t status = _Find(name, type, index, data, &size);
	if (status == B_OK && numBytes != nullptr)
		*numBytes = ssize_t(size);
	return status;
}

status_t BMessage::ReplaceData(const char* name, type_code type, const void* data,
	ssize_t numBytes)
{
	return ReplaceData(name, type, 0, data, numBytes);
}

status_t BMessage::ReplaceData(const char* name, type_code type, int32 index,
	const void* data, ssize_t numBytes)
{
	if (numBytes < 0)
		return B_BAD_VALUE;
	return _Replace(name, type, index, data, size_t(numBytes));
}

// #pragma mark - typed access

namespace {

template<typename T>
status_t FindValue(const BMessage& message, const char* name, type_code type, int32 index,
	T* value)
{
	const void* data = nullptr;
	ssize_t size = 0;
	const status_t status = message.FindData(name, type, index, &data, &size);
	if (status != B_OK)
		return status;
	if (size != ssize_t(sizeof(T)))
		return B_BAD_DATA;
	if (value != nullptr)
		memcpy(static_cast<void*>(value), data, sizeof(T));
	return B_OK;
}

}  // namespace

#define CVAB_MESSAGE_TYPED_ACCESS(Name, Type, TypeCode)                                        \
	status_t BMessage::Add##Name(const char* name, Type value)                                \
	{                                                                                          \
		return _Add(name, TypeCode, &value, sizeof(Type), true);                               \
	}                                                                                          \
	status_t BMessage::Find##Name(const char* name, Type* value) const                         \
	{                                                                                          \
		return FindValue(*this, name, TypeCode, 0, value);                                     \
	}                                                                                          \
	status_t BMessage::Find##Name(const char* name, int32 index, Type* value) const            \
	{                                                                                          \
		return FindValue(*this, name, TypeCode, index, value);                                 \
	}                                                                                          \
	status_t BMessage::Replace##Name(const char* name, Type value)                             \
	{                                                                                          \
		return _Replace(name, TypeCode, 0, &value, sizeof(Type));                              \
	}                                                                                          \
	status_t BMessage::Replace##Name(const char* name, int32 index, Type value)                \
	{                                                                                          \
		return _Replace(name, TypeCode, index, &value, sizeof(Type));                          \
	}                                                                                          \
	Type BMessage::Get##Name(const char* name, Type defaultValue) const                        \
	{                                                                                          \
		return Get##Name(name, 0, defaultValue);                                               \
	}                                                                                          \
	Type BMessage::Get##Name(const char* name, int32 index, Type defaultValue) const           \
	{                                                                                          \
		Type value = defaultValue;                                                             \
		return FindValue(*this, name, TypeCode, index, &value) == B_OK ? value : defaultValue; \
	}                                                                                          \
	bool BMessage::Has##Name(const char* name, int32 index) const                              \
	{                                                                                          \
		return FindValue<Type>(*this, name, TypeCode, index, nullptr) == B_OK;                 \
	}

CVAB_MESSAGE_TYPED_ACCESS(Int8, int8, B_INT8_TYPE)
CVAB_MESSAGE_TYPED_ACCESS(UInt8, uint8, B_UINT8_TYPE)
CVAB_MESSAGE_TYPED_ACCESS(Int16, int16, B_INT16_TYPE)
CVAB_MESSAGE_TYPED_ACCESS(UInt16, uint16, B_UINT16_TYPE)
CVAB_MESSAGE_TYPED_ACCESS(Int32, int32, B_INT32_TYPE)
CVAB_MESSAGE_TYPED_ACCESS(UInt32, uint32, B_UINT32_TYPE)
CVAB_MESSAGE_TYPED_ACCESS(Int64, int64, B_INT64_TYPE)
CVAB_MESSAGE_TYPED_ACCESS(UInt64, uint64, B_UINT64_TYPE)
CVAB_MESSAGE_TYPED_ACCESS(Bool, bool, B_BOOL_TYPE)
CVAB_MESSAGE_TYPED_ACCESS(Float, float, B_FLOAT_TYPE)
CVAB_MESSAGE_TYPED_ACCESS(Double, double, B_DOUBLE_TYPE)
CVAB_MESSAGE_TYPED_ACCESS(Point, BPoint, B_POINT_TYPE)
CVAB_MESSAGE_TYPED_ACCESS(Rect, BRect, B_RECT_TYPE)
#undef CVAB_MESSAGE_TYPED_ACCESS

// #pragma mark - strings

status_t BMessage::AddString(const char* name, const char* string)
{
	if (string == nullptr)
		return B_BAD_VALUE;
	return _Add(name, B_STRING_TYPE, string, strlen(string) + 1, false);
}

status_t BMessage::AddString(const char* name, const std::string& string)
{
	return _Add(name, B_STRING_TYPE, string.c_str(), string.size() + 1, false);
}

status_t BMessage::FindString(const char* name, const char** string) const
{
	return FindString(name, 0, string);
}

// A string item must end in its NUL; raw data added under the string type may not.
status_t BMessage::FindString(const char* name, int32 index, const char** string) const
{
	const void* data = nullptr;
	size_t size = 0;
	const status_t status = _Find(name, B_STRING_TYPE, index, &data, &size);
	if (status != B_OK)
		return status;
	if (size == 0 || static_cast<const char*>(data)[size - 1] != '\0')
		return B_BAD_DATA;
	if (string != nullptr)
		*string = static_cast<const char*>(data);
	return B_OK;
}

status_t BMessage::FindString(const char* name, std::string* string) const
{
	return FindString(name, 0, string);
}

status_t BMessage::FindString(const char* name, int32 index, std::string* string) const
{
	const char* text = nullptr;
	const status_t status = FindString(name, index, &text);
	if (status == B_OK && string != nullptr)
		*string = text;
	return status;
}

status_t BMessage::ReplaceString(const char* name, const char* string)
{
	return ReplaceString(name, 0, string);
}

status_t BMessage::ReplaceString(const char* name, int32 index, const char* string)
{
	if (string == nullptr)
		return B_BAD_VALUE;
	return _Replace(name, B_STRING_TYPE, index, string, strlen(string) + 1);
}

const char* BMessage::GetString(const char* name, const char* defaultValue) const
{
	return GetString(name, 0, defaultValue);
}

const char* BMessage::GetString(const char* name, int32 index, const char* defaultValue) const
{
	const char* text = nullptr;
	return FindString(name, index, &text) == B_OK ? text : defaultValue;
}

bool BMessage::HasString(const char* name, int32 index) const
{
	return FindString(name, index, static_cast<const char**>(nullptr)) == B_OK;
}

// #pragma mark - pointers

status_t BMessage::AddPointer(const char* name, const void* pointer)
{
	return _Add(name, B_POINTER_TYPE, &pointer, sizeof(pointer), true);
}

status_t BMessage::FindPointer(const char* name, void** pointer) const
{
	return FindValue(*this, name, B_POINTER_TYPE, 0, pointer);
}

status_t BMessage::FindPointer(const char* name, int32 index, void** pointer) const
{
	return FindValue(*this, name, B_POINTER_TYPE, index, pointer);
}

status_t BMessage::ReplacePointer(const char* name, const void* pointer)
{
	return _Replace(name, B_POINTER_TYPE, 0, &pointer, sizeof(pointer));
}

bool BMessage::HasPointer(const char* name, int32 index) const
{
	return FindValue<void*>(*this, name, B_POINTER_TYPE, index, nullptr) == B_OK;
}

// #pragma mark - byte reading and writing

namespace {

class Writer {
public:
	explicit Writer(std::string& out) : fOut(out) {}
	template<typename T>
	void Put(T value)
	{
		fOut.append(reinterpret_cast<const char*>(&value), sizeof(T));
	}
	void PutBytes(const void* data, size_t size)
	{
		fOut.append(static_cast<const char*>(data), size);
	}

private:
	std::string& fOut;
};

// Reads from a bounded buffer; every read checks the bytes remaining first.
class Reader {
public:
	Reader(const char* data, size_t size) : fData(data), fRemaining(size) {}
	template<typename T>
	bool Get(T* value)
	{
		if (fRemaining < sizeof(T))
			return false;
		memcpy(value, fData, sizeof(T));
		Skip(sizeof(T));
		return true;
	}
	bool GetBytes(size_t size, const char** bytes)
	{
		if (fRemaining < size)
			return false;
		*bytes = fData;
		Skip(size);
		return true;
	}
	size_t Remaining() const { return fRemaining; }

private:
	void Skip(size_t size)
	{
		fData += size;
		fRemaining -= size;
	}
	const char* fData;
	size_t fRemaining;
};

// entry_ref item: int64 device, int64 directory, uint32 name length and the name,
// uint32 path length and the directory's path (no NULs stored).
std::string FlattenRef(const entry_ref& ref)
{
	std::string out;
	Writer writer(out);
	writer.Put<int64>(int64(ref.device));
	writer.Put<int64>(int64(ref.directory));
	const size_t nameLength = ref.name != nullptr ? strlen(ref.name) : 0;
	writer.Put<uint32>(uint32(nameLength));
	writer.PutBytes(ref.name, nameLength);
	const std::string& path = ref.DirectoryPath();
	writer.Put<uint32>(uint32(path.size()));
	writer.PutBytes(path.data(), path.size());
	return out;
}

status_t UnflattenRef(const char* data, size_t size, entry_ref* ref)
{
	Reader reader(data, size);
	int64 device = 0;
	int64 directory = 0;
	uint32 nameLength = 0;
	const char* name = nullptr;
	uint32 pathLength = 0;
	const char* path = nullptr;
	if (!reader.Get(&device) || !reader.Get(&directory) || !reader.Get(&nameLength)
		|| !reader.GetBytes(nameLength, &name) || !reader.Get(&pathLength)
		|| !reader.GetBytes(pathLength, &path) || reader.Remaining() != 0) {
		return B_BAD_DATA;
	}
	if (memchr(name, '\0', nameLength) != nullptr || memchr(path, '\0', pathLength) != nullptr)
		return B_BAD_DATA;
	if (ref == nullptr)
		return B_OK;
	ref->device = dev_t(device);
	ref->directory = ino_t(directory);
	if (nameLength > 0)
		ref->set_name(std::string(name, nameLength).c_str());
	else
		ref->set_name(nullptr);
	ref->SetDirectoryPath(std::string(path, pathLength));
	return B_OK;
}

}  // namespace

// #pragma mark - refs, messengers, messages

status_t BMessage::AddRef(const char* name, const entry_ref* ref)
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	const std::string bytes = FlattenRef(*ref);
	return _Add(name, B_REF_TYPE, bytes.data(), bytes.size(), false);
}

status_t BMessage::FindRef(const char* name, entry_ref* ref) const
{
	return FindRef(name, 0, ref);
}

status_t BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const
{
	const void* data = nullptr;
	size_t size = 0;
	const status_t status = _Find(name, B_REF_TYPE, index, &data, &size);
	if (status != B_OK)
		return status;
	return UnflattenRef(static_cast<const char*>(data), size, ref);
}

status_t BMessage::ReplaceRef(const char* name, const entry_ref* ref)
{
	return ReplaceRef(name, 0, ref);
}

status_t BMessage::ReplaceRef(const char* name, int32 index, const entry_ref* ref)
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	const std::string bytes = FlattenRef(*ref);
	return _Replace(name, B_REF_TYPE, index, bytes.data(), bytes.size());
}

bool BMessage::HasRef(const char* name, int32 index) const
{
	return FindRef(name, index, nullptr) == B_OK;
}

// A messenger item: int32 team, int32 port token, int32 handler token.
namespace {
struct FlatMessenger {
	int32 team;
	int32 port;
	int32 handler;
};
}  // namespace

status_t BMessage::AddMessenger(const char* name, const BMessenger& messenger)
{
	FlatMessenger flat{};
	BPrivate::MessengerAccess::Get(messenger, &flat.team, &flat.port, &flat.handler);
	return _Add(name, B_MESSENGER_TYPE, &flat, sizeof(flat), true);
}

status_t BMessage::FindMessenger(const char* name, BMessenger* messenger) const
{
	return FindMessenger(name, 0, messenger);
}

status_t BMessage::FindMessenger(const char* name, int32 index, BMessenger* messenger) const
{
	FlatMessenger flat{};
	const status_t status = FindValue(*this, name, B_MESSENGER_TYPE, index, &flat);
	if (status == B_OK && messenger != nullptr)
		BPrivate::MessengerAccess::Set(messenger, flat.team, flat.port, flat.handler);
	return status;
}

status_t BMessage::ReplaceMessenger(const char* name, const BMessenger& messenger)
{
	FlatMessenger flat{};
	BPrivate::MessengerAccess::Get(messenger, &flat.team, &flat.port, &flat.handler);
	return _Replace(name, B_MESSENGER_TYPE, 0, &flat, sizeof(flat));
}

bool BMessage::HasMessenger(const char* name, int32 index) const
{
	return FindValue<FlatMessenger>(*this, name, B_MESSENGER_TYPE, index, nullptr) == B_OK;
}

// Nested messages are kept flattened; a copy goes in, so no reply duty travels along.
status_t BMessage::AddMessage(const char* name, const BMessage* message)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	std::string bytes;
	MessageAccess::FlattenTo(BMessage(*message), &bytes);
	return _Add(name, B_MESSAGE_TYPE, bytes.data(), bytes.size(), false);
}

status_t BMessage::FindMessage(const char* name, BMessage* message) const
{
	return FindMessage(name, 0, message);
}

status_t BMessage::FindMessage(const char* name, int32 index, BMessage* message) const
{
	const void* data = nullptr;
	size_t size = 0;
	const status_t status = _Find(name, B_MESSAGE_TYPE, index, &data, &size);
	if (status != B_OK || message == nullptr)
		return status;
	return message->Unflatten(static_cast<const char*>(data), size);
}

status_t BMessage::ReplaceMessage(const char* name, const BMessage* message)
{
	return ReplaceMessage(name, 0, message);
}

status_t BMessage::ReplaceMessage(const char* name, int32 index, const BMessage* message)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	std::string bytes;
	MessageAccess::FlattenTo(BMessage(*message), &bytes);
	return _Replace(name, B_MESSAGE_TYPE, index, bytes.data(), bytes.size());
}

bool BMessage::HasMessage(const char* name, int32 index) const
{
	return HasData(name, B_MESSAGE_TYPE, index);
}

// #pragma mark - flattening

// The flattened form, version 1. Every integer is little-endian.
//
//   uint32  magic "CVMF"
//   uint8   version, 1
//   uint8   0
//   uint16  0
//   uint32  total size in bytes, this header included
//   uint32  what
//   int32   target handler token
//   int32   reply team, int32 reply port token, int32 reply handler token
//   int32   current specifier index (-1 for none)
//   uint32  header flags (see MessageAccess.h)
//   uint32  field count
//   then each field, in the order the fields were added:
//     uint16  name length (1 to 255), then the name's bytes, without NUL
//     uint32  type code
//     uint8   1 for fixed-size items, 0 for variable-size items
//     uint32  item count (at least 1)
//     fixed:    uint32 item size (at least 1), then count * size bytes
//     variable: each item as uint32 size, then its bytes
//
// Items hold the bytes the typed Add functions store: scalars little-endian, strings
// with their NUL, refs and messengers as described at their flattening, nested
// messages in this same form (checked, to a limited depth, when unflattened).
namespace {

constexpr uint32 kMagic = 'F' << 24 | 'M' << 16 | 'V' << 8 | 'C';  // "CVMF" in memory
constexpr uint8 kVersion = 1;
constexpr size_t kHeaderSize = 44;
constexpr size_t kMinFieldSize = 2 + 1 + 4 + 1 + 4 + 4;
constexpr int kMaxNesting = 32;

}  // namespace

ssize_t BMessage::FlattenedSize() const
{
	size_t size = kHeaderSize;
	for (const Field& field : fBody->fields) {
		size += 2 + field.name.size() + 4 + 1 + 4;
		if (field.fixedSize) {
			size += 4 + field.items.size() * field.items.front().size();
		} else {
			for (const std::string& item : field.items)
				size += 4 + item.size();
		}
	}
	return ssize_t(size);
}

status_t BMessage::Flatten(char* buffer, ssize_t size) const
{
	const ssize_t needed = FlattenedSize();
	if (buffer == nullptr || size < needed)
		return B_BAD_VALUE;
	std::string out;
	out.reserve(size_t(needed));
	Writer writer(out);
	writer.Put<uint32>(kMagic);
	writer.Put<uint8>(kVersion);
	writer.Put<uint8>(0);
	writer.Put<uint16>(0);
	writer.Put<uint32>(uint32(needed));
	writer.Put<uint32>(what);
	writer.Put<int32>(fTargetToken);
	writer.Put<int32>(fReplyTeam);
	writer.Put<int32>(fReplyPort);
	writer.Put<int32>(fReplyHandler);
	writer.Put<int32>(fCurrentSpecifier);
	writer.Put<uint32>(fFlags);
	writer.Put<uint32>(uint32(fBody->fields.size()));
	for (const Field& field : fBody->fields) {
		writer.Put<uint16>(uint16(field.name.size()));
		writer.PutBytes(field.name.data(), field.name.size());
		writer.Put<uint32>(field.type);
		writer.Put<uint8>(field.fixedSize ? 1 : 0);
		writer.Put<uint32>(uint32(field.items.size()));
		if (field.fixedSize)
			writer.Put<uint32>(uint32(field.items.front().size()));
		for (const std::string& item : field.items) {
			if (!field.fixedSize)
				writer.Put<uint32>(uint32(item.size()));
			writer.PutBytes(item.data(), item.size());
		}
	}
	memcpy(buffer, out.data(), out.size());
	return B_OK;
}

namespace {

status_t CheckNested(const char* data, size_t size, int depth);

// Parses one message into the given parts. Fails without side effects on the caller's
// message (the caller swaps the result in on success).
status_t Parse(const char* data, size_t size, int depth, BMessage* into,
	std::vector<Field>* fields)
{
	if (depth > kMaxNesting)
		return B_BAD_DATA;
	Reader reader(data, size);
	uint32 magic = 0, total = 0, what = 0, flags = 0, fieldCount = 0;
	uint8 version = 0, pad8 = 0;
	uint16 pad16 = 0;
	int32 target = 0, replyTeam = 0, replyPort = 0, replyHandler = 0, specifier = 0;
	if (!reader.Get(&magic) || !reader.Get(&version) || !reader.Get(&pad8)
		|| !reader.Get(&pad16) || !reader.Get(&total))
		return B_BAD_DATA;
	if (magic != kMagic)
		return B_NOT_A_MESSAGE;
	if (version != kVersion || pad8 != 0 || pad16 != 0 || total != size)
		return B_BAD_DATA;
	if (!reader.Get(&what) || !reader.Get(&target) || !reader.Get(&replyTeam)
		|| !reader.Get(&replyPort) || !reader.Get(&replyHandler) || !reader.Get(&specifier)
		|| !reader.Get(&flags) || !reader.Get(&fieldCount))
		return B_BAD_DATA;
	if (fieldCount > reader.Remaining() / kMinFieldSize)
		return B_BAD_DATA;
	fields->reserve(fieldCount);
	for (uint32 i = 0; i < fieldCount; i++) {
		uint16 nameLength = 0;
		const char* name = nullptr;
		uint32 type = 0, count = 0;
		uint8 fixed = 0;
		if (!reader.Get(&nameLength) || nameLength == 0 || nameLength > kMaxNameLength
			|| !reader.GetBytes(nameLength, &name) || memchr(name, '\0', nameLength) != nullptr
			|| !reader.Get(&type) || !reader.Get(&fixed) || fixed > 1 || !reader.Get(&count)
			|| count == 0 || type == B_ANY_TYPE)
			return B_BAD_DATA;
		Field field{std::string(name, nameLength), type, fixed == 1, {}};
		for (const Field& other : *fields) {
			if (other.name == field.name)
				return B_BAD_DATA;
		}
		uint32 fixedSize = 0;
		if (field.fixedSize) {
			if (!reader.Get(&fixedSize) || fixedSize == 0
				|| count > reader.Remaining() / fixedSize)
				return B_BAD_DATA;
		} else if (count > reader.Remaining() / 4) {
			return B_BAD_DATA;
		}
		field.items.reserve(count);
		for (uint32 j = 0; j < count; j++) {
			uint32 itemSize = fixedSize;
			const char* bytes = nullptr;
			if ((!field.fixedSize && !reader.Get(&itemSize)) || !reader.GetBytes(itemSize, &bytes))
				return B_BAD_DATA;
			if (type == B_MESSAGE_TYPE) {
				const status_t status = CheckNested(bytes, itemSize, depth + 1);
				if (status != B_OK)
					return status;
			}
			field.items.emplace_back(bytes, itemSize);
		}
		fields->push_back(std::move(field));
	}
	if (reader.Remaining() != 0)
		return B_BAD_DATA;
	if (into != nullptr) {
		into->what = what;
		MessageAccess::SetTargetToken(*into, target);
		MessageAccess::SetReplyAddress(*into, replyTeam, replyPort, replyHandler);
		MessageAccess::SetFlags(*into, flags);
		MessageAccess::SetCurrentSpecifier(*into, specifier);
	}
	return B_OK;
}

status_t CheckNested(const char* data, size_t size, int depth)
{
	std::vector<Field> fields;
	return Parse(data, size, depth, nullptr, &fields);
}

}  // namespace

status_t BMessage::Unflatten(const char* data)
{
	if (data == nullptr)
		return B_BAD_VALUE;
	uint32 magic = 0;
	uint32 total = 0;
	memcpy(&magic, data, sizeof(magic));
	if (magic != kMagic)
		return B_NOT_A_MESSAGE;
	memcpy(&total, data + 8, sizeof(total));
	return Unflatten(data, total);
}

status_t BMessage::Unflatten(const char* data, size_t size)
{
	if (data == nullptr)
		return B_BAD_VALUE;
	BMessage parsed;
	std::vector<Field> fields;
	const status_t status = Parse(data, size, 0, &parsed, &fields);
	// Replacing this message drops its own reply duty, as assigning does.
	fFlags &= ~BPrivate::kMessageSourceWaiting;
	MakeEmpty();
	what = 0;
	if (status != B_OK)
		return status;
	parsed.fBody->fields = std::move(fields);
	what = parsed.what;
	fBody.swap(parsed.fBody);
	fTargetToken = parsed.fTargetToken;
	fReplyTeam = parsed.fReplyTeam;
	fReplyPort = parsed.fReplyPort;
	fReplyHandler = parsed.fReplyHandler;
	fCurrentSpecifier = parsed.fCurrentSpecifier;
	fFlags = parsed.fFlags;
	parsed.fFlags = 0;
	return B_OK;
}

// #pragma mark - specifiers

status_t BMessage::AddSpecifier(const char* property)
{
	BMessage specifier(B_DIRECT_SPECIFIER);
	specifier.AddString("property", property);
	return AddSpecifier(&specifier);
}

status_t BMessage::AddSpecifier(const char* property, int32 index)
{
	BMessage specifier(B_INDEX_SPECIFIER);
	specifier.AddString("property", property);
	specifier.AddInt32("index", index);
	return AddSpecifier(&specifier);
}

status_t BMessage::AddSpecifier(const char* property, int32 index, int32 range)
{
	if (range < 0)
		return B_BAD_VALUE;
	BMessage specifier(B_RANGE_SPECIFIER);
	specifier.AddString("property", property);
	specifier.AddInt32("index", index);
	specifier.AddInt32("range", range);
	return AddSpecifier(&specifier);
}

status_t BMessage::AddSpecifier(const char* property, const char* name)
{
	BMessage specifier(B_NAME_SPECIFIER);
	specifier.AddString("property", property);
	specifier.AddString("name", name);
	return AddSpecifier(&specifier);
}

status_t BMessage::AddSpecifier(const BMessage* specifier)
{
	if (specifier == nullptr || !specifier->HasString("property"))
		return B_BAD_VALUE;
	const status_t status = AddMessage("specifiers", specifier);
	if (status != B_OK)
		return status;
	int32 count = 0;
	GetInfo("specifiers", nullptr, &count);
	fCurrentSpecifier = count - 1;
	return B_OK;
}

status_t BMessage::GetCurrentSpecifier(int32* index, BMessage* specifier, int32* what,
	const char** property) const
{
	if (index != nullptr)
		*index = fCurrentSpecifier;
	if (fCurrentSpecifier < 0)
		return B_BAD_SCRIPT_SYNTAX;
	// The property string must outlive this call, so it is read from the item in
	// place rather than from a temporary copy.
	const void* data = nullptr;
	size_t size = 0;
	status_t status = _Find("specifiers", B_MESSAGE_TYPE, fCurrentSpecifier, &data, &size);
	if (status != B_OK)
		return B_BAD_SCRIPT_SYNTAX;
	BMessage current;
	status = current.Unflatten(static_cast<const char*>(data), size);
	if (status != B_OK)
		return B_BAD_SCRIPT_SYNTAX;
	if (what != nullptr)
		*what = int32(current.what);
	if (property != nullptr) {
		thread_local std::string tProperty;
		tProperty = current.GetString("property", "");
		*property = tProperty.c_str();
	}
	if (specifier != nullptr)
		*specifier = current;
	return B_OK;
}

status_t BMessage::PopSpecifier()
{
	if (fCurrentSpecifier < 0)
		return B_BAD_VALUE;
	fCurrentSpecifier--;
	return B_OK;
}

bool BMessage::HasSpecifiers() const
{
	return fCurrentSpecifier >= 0;
}

// #pragma mark - delivery and replies

BMessenger BMessage::ReturnAddress() const
{
	BMessenger messenger;
	if (fReplyPort >= 0)
		BPrivate::MessengerAccess::Set(&messenger, fReplyTeam, fReplyPort, fReplyHandler);
	return messenger;
}

bool BMessage::IsSourceWaiting() const
{
	return (fFlags & BPrivate::kMessageSourceWaiting) != 0
		&& (fFlags & BPrivate::kMessageReplyDone) == 0;
}

bool BMessage::IsSourceRemote() const
{
	return (fFlags & BPrivate::kMessageSourceRemote) != 0;
}

bool BMessage::WasDelivered() const
{
	return (fFlags & BPrivate::kMessageDelivered) != 0;
}

bool BMessage::IsReply() const
{
	return (fFlags & BPrivate::kMessageIsReply) != 0;
}

status_t BMessage::SendReply(uint32 command, BHandler* replyTo)
{
	BMessage reply(command);
	return SendReply(&reply, replyTo);
}

status_t BMessage::SendReply(BMessage* reply, BHandler* replyTo, bigtime_t timeout)
{
	return _SendReply(reply, replyTo != nullptr ? BMessenger(replyTo) : BMessenger(), timeout,
		nullptr, 0);
}

status_t BMessage::SendReply(BMessage* reply, BMessenger replyTo, bigtime_t timeout)
{
	return _SendReply(reply, replyTo, timeout, nullptr, 0);
}

status_t BMessage::SendReply(uint32 command, BMessage* replyToReply)
{
	BMessage reply(command);
	return SendReply(&reply, replyToReply);
}

status_t BMessage::SendReply(BMessage* reply, BMessage* replyToReply, bigtime_t sendTimeout,
	bigtime_t replyTimeout)
{
	return _SendReply(reply, BMessenger(), sendTimeout, replyToReply, replyTimeout);
}

status_t BMessage::_SendReply(BMessage* reply, const BMessenger& replyTo,
	bigtime_t sendTimeout, BMessage* replyToReply, bigtime_t replyTimeout)
{
	if (reply == nullptr)
		return B_BAD_VALUE;
	if (fReplyPort < 0)
		return B_BAD_REPLY;
	if ((fFlags & BPrivate::kMessageSourceWaiting) != 0
		&& (fFlags & BPrivate::kMessageReplyDone) != 0)
		return B_DUPLICATE_REPLY;

	// Mark the duty done first: a failed delivery must not trigger a second answer
	// from the destructor.
	const bool waiting = IsSourceWaiting();
	if (waiting)
		fFlags |= BPrivate::kMessageReplyDone;
	const BMessenger target = ReturnAddress();
	status_t status;
	if (replyToReply != nullptr) {
		BMessage copy(*reply);
		copy.fFlags |= BPrivate::kMessageIsReply;
		status = target.SendMessage(&copy, replyToReply, sendTimeout, replyTimeout);
	} else {
		auto copy = std::make_unique<BMessage>(*reply);
		copy->fFlags |= BPrivate::kMessageIsReply;
		status = BPrivate::route_message(target, std::move(copy), &replyTo, sendTimeout);
	}
	return status;
}
