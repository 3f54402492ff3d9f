#include "AccessibleUtil.h"

#include <map>
#include <utility>

namespace BPrivate {

namespace {

struct CvabAtkUtil {
	AtkUtil parent;
};

struct CvabAtkUtilClass {
	AtkUtilClass parent;
};

AtkObject* sRoot = nullptr;
std::map<guint, std::pair<AtkKeySnoopFunc, gpointer>> sKeyListeners;
guint sNextListener = 1;

AtkObject* GetRoot()
{
	return sRoot;
}

const gchar* GetToolkitName()
{
	return "Interface Kit";
}

const gchar* GetToolkitVersion()
{
	return "1.0";
}

guint AddKeyListener(AtkKeySnoopFunc listener, gpointer data)
{
	const guint id = sNextListener++;
	sKeyListeners[id] = {listener, data};
	return id;
}

void RemoveKeyListener(guint id)
{
	sKeyListeners.erase(id);
}

// ATK calls through AtkUtil's own class: the subclass puts its answers there.
void ClassInit(gpointer, gpointer)
{
	auto* base = static_cast<AtkUtilClass*>(g_type_class_ref(ATK_TYPE_UTIL));
	base->get_root = GetRoot;
	base->get_toolkit_name = GetToolkitName;
	base->get_toolkit_version = GetToolkitVersion;
	base->add_key_event_listener = AddKeyListener;
	base->remove_key_event_listener = RemoveKeyListener;
}

GType UtilType()
{
	static const GType type = [] {
		GTypeInfo info = {};
		info.class_size = sizeof(CvabAtkUtilClass);
		info.class_init = ClassInit;
		info.instance_size = sizeof(CvabAtkUtil);
		return g_type_register_static(ATK_TYPE_UTIL, "CvabAtkUtil", &info, GTypeFlags(0));
	}();
	return type;
}

}  // namespace

void AccessibleUtil::Install(AtkObject* root)
{
	sRoot = root;
	g_type_class_ref(UtilType());
}

void AccessibleUtil::DispatchKey(AtkKeyEventStruct* event)
{
	// A copy: a listener may add or remove listeners.
	const auto listeners = sKeyListeners;
	for (const auto& [id, listener] : listeners)
		listener.first(event, listener.second);
}

}  // namespace BPrivate
