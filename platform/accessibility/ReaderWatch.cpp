#include "ReaderWatch.h"

namespace BPrivate {

namespace {

const char* const kBusName = "org.a11y.Bus";
const char* const kBusPath = "/org/a11y/bus";
const char* const kStatus = "org.a11y.Status";

}  // namespace

ReaderWatch::ReaderWatch(std::function<void()> wanted)
	: fWanted(std::move(wanted)),
	  fCancellable(g_cancellable_new())
{
}

ReaderWatch::~ReaderWatch()
{
	g_cancellable_cancel(fCancellable);
	if (fConnection != nullptr) {
		if (fSubscription != 0)
			g_dbus_connection_signal_unsubscribe(fConnection, fSubscription);
		g_object_unref(fConnection);
	}
	if (fWatch != 0)
		g_bus_unwatch_name(fWatch);
	g_object_unref(fCancellable);
}

void ReaderWatch::Start()
{
	g_bus_get(G_BUS_TYPE_SESSION, fCancellable, _Connected, this);
}

bool ReaderWatch::Wants(GVariant* properties)
{
	gboolean enabled = FALSE;
	gboolean reader = FALSE;
	g_variant_lookup(properties, "IsEnabled", "b", &enabled);
	g_variant_lookup(properties, "ScreenReaderEnabled", "b", &reader);
	return enabled || reader;
}

void ReaderWatch::_Connected(GObject*, GAsyncResult* result, gpointer data)
{
	GDBusConnection* connection = g_bus_get_finish(result, nullptr);
	if (connection == nullptr)
		return;  // cancelled, or no bus after all: no reader
	auto* watch = static_cast<ReaderWatch*>(data);
	watch->fConnection = connection;
	watch->fSubscription = g_dbus_connection_signal_subscribe(connection, kBusName,
		"org.freedesktop.DBus.Properties", "PropertiesChanged", kBusPath, kStatus,
		G_DBUS_SIGNAL_FLAGS_NONE, _PropertiesChanged, watch, nullptr);
	// Without auto-starting: the launcher is asked only while it runs.
	watch->fWatch = g_bus_watch_name_on_connection(connection, kBusName,
		G_BUS_NAME_WATCHER_FLAGS_NONE, _Appeared, nullptr, watch, nullptr);
}

void ReaderWatch::_Appeared(GDBusConnection* connection, const gchar*, const gchar*,
	gpointer data)
{
	auto* watch = static_cast<ReaderWatch*>(data);
	g_dbus_connection_call(connection, kBusName, kBusPath, "org.freedesktop.DBus.Properties",
		"GetAll", g_variant_new("(s)", kStatus), G_VARIANT_TYPE("(a{sv})"),
		G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, watch->fCancellable, _Answered, watch);
}

void ReaderWatch::_Answered(GObject* source, GAsyncResult* result, gpointer data)
{
	GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
	if (reply == nullptr)
		return;
	GVariant* properties = g_variant_get_child_value(reply, 0);
	static_cast<ReaderWatch*>(data)->_Check(properties);
	g_variant_unref(properties);
	g_variant_unref(reply);
}

void ReaderWatch::_PropertiesChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*,
	const gchar*, GVariant* parameters, gpointer data)
{
	if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(sa{sv}as)")))
		return;
	GVariant* properties = g_variant_get_child_value(parameters, 1);
	static_cast<ReaderWatch*>(data)->_Check(properties);
	g_variant_unref(properties);
}

void ReaderWatch::_Check(GVariant* properties)
{
	if (fCalled || !Wants(properties))
		return;
	fCalled = true;
	fWanted();
}

}  // namespace BPrivate
