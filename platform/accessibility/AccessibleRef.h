// AccessibleRef: one reference to an ATK object, let go when it goes.
// Threading: the accessibility thread (GObject's counts are atomic, but the last
// reference to one of ours must go there).
#ifndef _CVAB_ACCESSIBLE_REF_H
#define _CVAB_ACCESSIBLE_REF_H

#include <atk/atk.h>

#include <utility>

namespace BPrivate {

class AccessibleRef {
public:
	AccessibleRef() = default;
	// Takes a new reference to object.
	explicit AccessibleRef(AtkObject* object) : fObject(object)
	{
		if (fObject != nullptr)
			g_object_ref(fObject);
	}
	// Takes over a reference the caller holds.
	static AccessibleRef Adopt(AtkObject* object)
	{
		AccessibleRef ref;
		ref.fObject = object;
		return ref;
	}
	AccessibleRef(const AccessibleRef& other) : AccessibleRef(other.fObject) {}
	AccessibleRef(AccessibleRef&& other) noexcept : fObject(std::exchange(other.fObject, nullptr)) {}
	AccessibleRef& operator=(AccessibleRef other) noexcept
	{
		std::swap(fObject, other.fObject);
		return *this;
	}
	~AccessibleRef()
	{
		if (fObject != nullptr)
			g_object_unref(fObject);
	}

	AtkObject* Get() const { return fObject; }
	// The object with a new reference for the caller (ATK's ref_ functions).
	AtkObject* NewRef() const
	{
		return fObject != nullptr ? ATK_OBJECT(g_object_ref(fObject)) : nullptr;
	}
	bool operator==(const AccessibleRef& other) const { return fObject == other.fObject; }
	explicit operator bool() const { return fObject != nullptr; }

private:
	AtkObject* fObject = nullptr;
};

}  // namespace BPrivate

#endif
