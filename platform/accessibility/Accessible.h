// Accessible: what a screen reader is shown of one object (the application, a
// window, a view, a menu, an item, a row or cell of a list) as an ATK object. The
// base keeps the object's place in the tree and answers ATK's common questions
// (name, states, children, parent, extents) from the values it last read, reading
// them again under its window's lock when it can: when the window is busy or gone,
// the last values stand. A change is told against what the reader was told last
// (or first read), not against the last reading, which a question may have made
// after the change. The ATK object holds this one; both go together.
// Threading: the accessibility thread, except Publish and Detach, which come from
// a window's thread (or one holding its lock) with the window locked.
#ifndef _CVAB_ACCESSIBLE_H
#define _CVAB_ACCESSIBLE_H

#include "AccessibilityHooks.h"
#include "AccessibleRef.h"

#include <Rect.h>

#include <atk/atk.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace BPrivate {

class AccessibleWindow;

// The ATK interfaces an object offers beyond AtkObject and AtkComponent.
enum accessible_interface : uint32 {
	kInterfaceAction = 1 << 0,
	kInterfaceText = 1 << 1,
	kInterfaceValue = 1 << 2,
	kInterfaceSelection = 1 << 3,
	kInterfaceTable = 1 << 4,
	kInterfaceTableCell = 1 << 5,
	kInterfaceWindow = 1 << 6,
	kInterfaceCount = 7,
};

class Accessible {
public:
	virtual ~Accessible();

	AtkObject* Atk() const { return fAtk; }
	// The object behind an ATK object of ours; null for any other.
	static Accessible* Of(AtkObject* object);
	AccessibleWindow* Window() const { return fWindow; }
	Accessible* Parent() const { return fParent.Get() != nullptr ? Of(fParent.Get()) : nullptr; }
	AtkRole Role() const { return fRole; }

	// ATK's questions.
	const char* Name();
	virtual void AddStates(AtkStateSet* states);
	virtual int32 CountChildren();
	virtual AtkObject* RefChild(int32 index);  // a new reference, or null
	virtual int32 IndexInParent();
	virtual void AddRelations(AtkRelationSet* relations);
	// Where it shows, in the screen's pixels; invalid where it does not.
	BRect ScreenFrame();
	virtual bool GrabFocus();

	// A window's thread, window locked: take what changed (a mask of
	// accessible_change) while it is at hand.
	virtual void Publish(uint32 changes);
	// A window's thread, window locked: what this stands for is going.
	virtual void Detach();
	// The changes noted and not yet told; AddPending is true when none were.
	bool AddPending(uint32 changes);
	uint32 TakePending() { return fPending.exchange(0); }
	// Tells the reader what changed.
	virtual void Announce(uint32 changes);
	// Gone for good: says so and lets go of its neighbours.
	virtual void Defunct();
	bool IsDefunct() const { return fDefunct; }

	// Reads the object again if its window can be had; false when not.
	bool Update();

protected:
	// parent: the object above, held while this one lives (null for the root).
	Accessible(AccessibleWindow* window, Accessible* parent, AtkRole role,
		uint32 interfaces = 0);

	// Reads what the object shows, with its window locked; false when the object
	// is gone. The base reads nothing.
	virtual bool Refresh();
	// The values Refresh keeps: ATK states as bits, the screen frame, the children.
	std::string fName;
	uint64 fStates = 0;
	BRect fFrame;
	std::vector<AccessibleRef> fChildren;

	static uint64 Bit(AtkStateType state) { return uint64(1) << state; }
	// What the reader was told last: set by the first reading, then by Announce.
	std::string fToldName;
	uint64 fToldStates = 0;
	std::vector<AccessibleRef> fToldChildren;
	// Runs read with the window locked, unless it is busy or gone.
	bool WithWindow(const std::function<void()>& read);

private:
	Accessible(const Accessible&) = delete;
	Accessible& operator=(const Accessible&) = delete;

	void _AnnounceStates();
	void _AnnounceChildren();
	void _Told();

	AtkObject* fAtk;
	AccessibleWindow* fWindow;  // held through the chain of parents
	AccessibleRef fParent;
	const AtkRole fRole;
	std::atomic<uint32> fPending{0};
	bool fDefunct = false;
	bool fTold = false;
};

}  // namespace BPrivate

#endif
