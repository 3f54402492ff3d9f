// Sections: the ATK object and its types; ATK's questions; changes; AtkComponent.
#include "Accessible.h"

#include "AccessibleActions.h"
#include "AccessibleCell.h"
#include "AccessibleScrollBar.h"
#include "AccessibleSelection.h"
#include "AccessibleTable.h"
#include "AccessibleText.h"
#include "AccessibleWindow.h"
#include "WindowHold.h"

#include <string>

namespace BPrivate {

// --- the ATK object and its types

namespace {

struct CvabAccessible {
	AtkObject parent;
	Accessible* node;
};

struct CvabAccessibleClass {
	AtkObjectClass parent;
};

GType cvab_accessible_get_type();
gpointer sParentClass = nullptr;

Accessible* NodeOf(gpointer object)
{
	return reinterpret_cast<CvabAccessible*>(object)->node;
}

const gchar* GetName(AtkObject* object)
{
	return NodeOf(object)->Name();
}

AtkStateSet* RefStateSet(AtkObject* object)
{
	AtkStateSet* states = atk_state_set_new();
	Accessible* node = NodeOf(object);
	if (node->IsDefunct())
		atk_state_set_add_state(states, ATK_STATE_DEFUNCT);
	else
		node->AddStates(states);
	return states;
}

gint GetChildCount(AtkObject* object)
{
	Accessible* node = NodeOf(object);
	return node->IsDefunct() ? 0 : node->CountChildren();
}

AtkObject* RefChild(AtkObject* object, gint index)
{
	Accessible* node = NodeOf(object);
	return node->IsDefunct() ? nullptr : node->RefChild(index);
}

gint GetIndexInParent(AtkObject* object)
{
	Accessible* node = NodeOf(object);
	return node->IsDefunct() ? -1 : node->IndexInParent();
}

AtkObject* GetParent(AtkObject* object)
{
	Accessible* parent = NodeOf(object)->Parent();
	return parent != nullptr ? parent->Atk() : nullptr;
}

AtkRelationSet* RefRelationSet(AtkObject* object)
{
	AtkRelationSet* relations = atk_relation_set_new();
	Accessible* node = NodeOf(object);
	if (!node->IsDefunct())
		node->AddRelations(relations);
	return relations;
}

void Finalize(GObject* object)
{
	delete NodeOf(object);
	G_OBJECT_CLASS(sParentClass)->finalize(object);
}

void ClassInit(gpointer klass, gpointer)
{
	sParentClass = g_type_class_peek_parent(klass);
	G_OBJECT_CLASS(klass)->finalize = Finalize;
	AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
	atk->get_name = GetName;
	atk->ref_state_set = RefStateSet;
	atk->get_n_children = GetChildCount;
	atk->ref_child = RefChild;
	atk->get_index_in_parent = GetIndexInParent;
	atk->get_parent = GetParent;
	atk->ref_relation_set = RefRelationSet;
}

void InitComponent(gpointer iface, gpointer data);

GType cvab_accessible_get_type()
{
	static const GType type = [] {
		GTypeInfo info = {};
		info.class_size = sizeof(CvabAccessibleClass);
		info.class_init = ClassInit;
		info.instance_size = sizeof(CvabAccessible);
		const GType registered = g_type_register_static(ATK_TYPE_OBJECT, "CvabAccessible",
			&info, GTypeFlags(0));
		const GInterfaceInfo component = {InitComponent, nullptr, nullptr};
		g_type_add_interface_static(registered, ATK_TYPE_COMPONENT, &component);
		return registered;
	}();
	return type;
}

struct InterfaceEntry {
	uint32 bit;
	GType (*type)();
	GInterfaceInitFunc init;
};

// A window's interface has signals only.
void InitWindowInterface(gpointer, gpointer)
{
}

const InterfaceEntry kInterfaces[] = {
	{kInterfaceAction, atk_action_get_type, AccessibleActions::InitInterface},
	{kInterfaceText, atk_text_get_type, AccessibleText::InitTextInterface},
	{kInterfaceText, atk_editable_text_get_type, AccessibleText::InitEditableInterface},
	{kInterfaceValue, atk_value_get_type, AccessibleScrollBar::InitInterface},
	{kInterfaceSelection, atk_selection_get_type, AccessibleSelection::InitInterface},
	{kInterfaceTable, atk_table_get_type, AccessibleTable::InitInterface},
	{kInterfaceTableCell, atk_table_cell_get_type, AccessibleCell::InitInterface},
	{kInterfaceWindow, atk_window_get_type, InitWindowInterface},
};

// One type for each set of interfaces, made the first time it is needed.
GType TypeFor(uint32 interfaces)
{
	static GType types[1 << kInterfaceCount] = {};
	if (interfaces == 0)
		return cvab_accessible_get_type();
	if (types[interfaces] == 0) {
		GTypeInfo info = {};
		info.class_size = sizeof(CvabAccessibleClass);
		info.instance_size = sizeof(CvabAccessible);
		const std::string name = "CvabAccessible" + std::to_string(interfaces);
		const GType type = g_type_register_static(cvab_accessible_get_type(), name.c_str(),
			&info, GTypeFlags(0));
		for (const InterfaceEntry& entry : kInterfaces) {
			if (interfaces & entry.bit) {
				const GInterfaceInfo iface = {entry.init, nullptr, nullptr};
				g_type_add_interface_static(type, entry.type(), &iface);
			}
		}
		types[interfaces] = type;
	}
	return types[interfaces];
}

}  // namespace

// The new ATK object's one reference is its creator's to adopt.
Accessible::Accessible(AccessibleWindow* window, Accessible* parent, AtkRole role,
	uint32 interfaces)
	: fAtk(ATK_OBJECT(g_object_new(TypeFor(interfaces), nullptr))),
	  fWindow(window),
	  fParent(parent != nullptr ? parent->Atk() : nullptr),
	  fRole(role)
{
	reinterpret_cast<CvabAccessible*>(fAtk)->node = this;
	fAtk->role = role;
}

Accessible::~Accessible() = default;

Accessible* Accessible::Of(AtkObject* object)
{
	if (object == nullptr || !G_TYPE_CHECK_INSTANCE_TYPE(object, cvab_accessible_get_type()))
		return nullptr;
	return NodeOf(object);
}

// --- ATK's questions

bool Accessible::WithWindow(const std::function<void()>& read)
{
	if (fDefunct)
		return false;
	if (fWindow == nullptr) {
		read();
		return true;
	}
	const WindowHold hold(fWindow);
	if (!hold)
		return false;
	read();
	return true;
}

bool Accessible::Update()
{
	bool alive = true;
	const bool read = WithWindow([&] { alive = Refresh(); });
	if (read && alive && !fTold)
		_Told();
	return read && alive;
}

void Accessible::_Told()
{
	fToldName = fName;
	fToldStates = fStates;
	fToldChildren = fChildren;
	fTold = true;
}

bool Accessible::Refresh()
{
	return true;
}

const char* Accessible::Name()
{
	Update();
	return fName.c_str();
}

void Accessible::AddStates(AtkStateSet* states)
{
	Update();
	for (int state = 0; state < 64; state++) {
		if (fStates & (uint64(1) << state))
			atk_state_set_add_state(states, AtkStateType(state));
	}
}

int32 Accessible::CountChildren()
{
	Update();
	return (int32)fChildren.size();
}

// Callers walk the children up to the count just told, the bridge itself as it
// says goodbye: a child gone meanwhile (a window closing on its own thread) is
// still an object there, defunct, never a gap. The list is read anew only for
// an index past it.
AtkObject* Accessible::RefChild(int32 index)
{
	if (index >= (int32)fChildren.size())
		Update();
	if (index < 0 || index >= (int32)fChildren.size())
		return nullptr;
	return fChildren[index].NewRef();
}

int32 Accessible::IndexInParent()
{
	Accessible* parent = Parent();
	if (parent == nullptr)
		return -1;
	parent->Update();
	for (size_t i = 0; i < parent->fChildren.size(); i++) {
		if (parent->fChildren[i].Get() == fAtk)
			return (int32)i;
	}
	return -1;
}

void Accessible::AddRelations(AtkRelationSet*)
{
}

BRect Accessible::ScreenFrame()
{
	Update();
	return fFrame;
}

bool Accessible::GrabFocus()
{
	return false;
}

// --- changes

void Accessible::Publish(uint32)
{
}

void Accessible::Detach()
{
}

bool Accessible::AddPending(uint32 changes)
{
	return fPending.fetch_or(changes) == 0;
}

void Accessible::Announce(uint32)
{
	if (!Update())
		return;
	if (fName != fToldName)
		g_object_notify(G_OBJECT(fAtk), "accessible-name");
	_AnnounceStates();
	_AnnounceChildren();
	_Told();
}

// Focus is told by whoever follows it across windows, not state by state.
void Accessible::_AnnounceStates()
{
	const uint64 changed = (fToldStates ^ fStates) & ~Bit(ATK_STATE_FOCUSED);
	for (int state = 0; state < 64; state++) {
		if (changed & (uint64(1) << state))
			atk_object_notify_state_change(fAtk, AtkStateType(state), (fStates >> state) & 1);
	}
}

void Accessible::_AnnounceChildren()
{
	const std::vector<AccessibleRef>& before = fToldChildren;
	auto holds = [](const std::vector<AccessibleRef>& list, const AccessibleRef& child) {
		for (const AccessibleRef& each : list) {
			if (each == child)
				return true;
		}
		return false;
	};
	for (size_t i = 0; i < before.size(); i++) {
		if (!holds(fChildren, before[i]))
			g_signal_emit_by_name(fAtk, "children-changed::remove", guint(i), before[i].Get());
	}
	for (size_t i = 0; i < fChildren.size(); i++) {
		if (!holds(before, fChildren[i]))
			g_signal_emit_by_name(fAtk, "children-changed::add", guint(i), fChildren[i].Get());
	}
}

void Accessible::Defunct()
{
	if (fDefunct)
		return;
	fDefunct = true;
	atk_object_notify_state_change(fAtk, ATK_STATE_DEFUNCT, TRUE);
	fChildren.clear();
	fWindow = nullptr;
	fParent = AccessibleRef();
}

// --- AtkComponent

namespace {

// In the pixels asked for: the screen's, the window's or the parent's.
BRect InCoordinates(Accessible* node, BRect frame, AtkCoordType coordinates)
{
	Accessible* origin = nullptr;
	if (coordinates == ATK_XY_WINDOW)
		origin = node->Window();
	else if (coordinates == ATK_XY_PARENT)
		origin = node->Parent();
	if (origin != nullptr && origin != node) {
		const BRect from = origin->ScreenFrame();
		if (from.IsValid())
			frame.OffsetBy(-from.left, -from.top);
	}
	return frame;
}

void GetExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
	AtkCoordType coordinates)
{
	Accessible* node = NodeOf(component);
	BRect frame = node->IsDefunct() ? BRect() : node->ScreenFrame();
	if (!frame.IsValid())
		frame = BRect(0, 0, -1, -1);
	else
		frame = InCoordinates(node, frame, coordinates);
	if (x != nullptr)
		*x = (gint)frame.left;
	if (y != nullptr)
		*y = (gint)frame.top;
	if (width != nullptr)
		*width = (gint)frame.Width() + 1;
	if (height != nullptr)
		*height = (gint)frame.Height() + 1;
}

gboolean GrabFocus(AtkComponent* component)
{
	Accessible* node = NodeOf(component);
	return !node->IsDefunct() && node->GrabFocus();
}

AtkObject* RefAccessibleAtPoint(AtkComponent* component, gint x, gint y,
	AtkCoordType coordinates)
{
	Accessible* node = NodeOf(component);
	if (node->IsDefunct())
		return nullptr;
	const int32 count = node->CountChildren();
	for (int32 i = 0; i < count; i++) {
		AtkObject* child = node->RefChild(i);
		Accessible* childNode = Accessible::Of(child);
		if (childNode != nullptr) {
			const BRect frame = InCoordinates(childNode, childNode->ScreenFrame(), coordinates);
			if (frame.IsValid() && frame.Contains(BPoint(x, y)))
				return child;
		}
		if (child != nullptr)
			g_object_unref(child);
	}
	return nullptr;
}

AtkLayer GetLayer(AtkComponent* component)
{
	const AtkRole role = NodeOf(component)->Role();
	return role == ATK_ROLE_MENU || role == ATK_ROLE_MENU_ITEM
		|| role == ATK_ROLE_CHECK_MENU_ITEM ? ATK_LAYER_POPUP : ATK_LAYER_WIDGET;
}

void InitComponent(gpointer data, gpointer)
{
	auto* iface = static_cast<AtkComponentIface*>(data);
	iface->get_extents = GetExtents;
	iface->grab_focus = GrabFocus;
	iface->ref_accessible_at_point = RefAccessibleAtPoint;
	iface->get_layer = GetLayer;
}

}  // namespace

}  // namespace BPrivate
