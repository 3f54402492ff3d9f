// ReaderWatch: whether a screen reader wants the applications' objects, as the
// desktop says through the accessibility bus's launcher on the session bus
// (org.a11y.Bus, /org/a11y/bus): its org.a11y.Status properties IsEnabled and
// ScreenReaderEnabled. It asks without blocking, watches the properties and the
// launcher coming and going, and calls back once either is true. It never starts
// the launcher or a bus: nothing is asked to start on its behalf.
// Threading: made and used on the accessibility thread, whose main context runs
// its replies.
#ifndef _CVAB_READER_WATCH_H
#define _CVAB_READER_WATCH_H

#include <gio/gio.h>

#include <functional>

namespace BPrivate {

class ReaderWatch {
public:
	explicit ReaderWatch(std::function<void()> wanted);
	~ReaderWatch();

	ReaderWatch(const ReaderWatch&) = delete;
	ReaderWatch& operator=(const ReaderWatch&) = delete;

	// Connects to the session bus and asks; the answers come later.
	void Start();

	// Whether these org.a11y.Status properties (an a{sv}) ask for a reader.
	static bool Wants(GVariant* properties);

private:
	static void _Connected(GObject* source, GAsyncResult* result, gpointer data);
	static void _Appeared(GDBusConnection* connection, const gchar* name, const gchar* owner,
		gpointer data);
	static void _Answered(GObject* source, GAsyncResult* result, gpointer data);
	static void _PropertiesChanged(GDBusConnection* connection, const gchar* sender,
		const gchar* path, const gchar* interface, const gchar* signal, GVariant* parameters,
		gpointer data);
	void _Check(GVariant* properties);

	std::function<void()> fWanted;
	GCancellable* fCancellable;
	GDBusConnection* fConnection = nullptr;
	guint fWatch = 0;
	guint fSubscription = 0;
	bool fCalled = false;
};

}  // namespace BPrivate

#endif
