// The program as a screen reader meets it, on a real X desktop with the
// accessibility bus: this process is the reader (libatspi, listening for focus
// and object events), each measure beside its baseline in the same run:
//  - a 100,000-record book opened to its first frame with the bridge on and a
//    reader listening, against the same start with accessibility off; and the
//    resident memory per record after it, both ways (no reader walks the rows);
//  - every cell of the rows on screen read through AT-SPI, against as many
//    plain round trips to the program (the table's row count);
//  - Tab moving the focus in the window until the reader hears it, against one
//    such round trip.
// Needs the desktop: run it as tests/app/with_reader_bus.sh bench_reader.
// Sections: the book; the program; the reader; the measures.
#include "../book/GeneratedBook.h"
#include "DesktopPrograms.h"

#include <benchmark/benchmark.h>

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <atspi/atspi.h>
#include <gio/gio.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

using bench_desktop::Named;
using bench_desktop::Stop;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start)
{
	return std::chrono::duration<double>(Clock::now() - start).count();
}

// --- the book

// The generated book as an address book file in a scratch folder.
struct Book {
	Book()
	{
		char pattern[] = "/tmp/cvab-reader-XXXXXX";
		folder = mkdtemp(pattern);
		path = folder + "/big.cvab";
		std::ofstream(path) << bench_book::GenerateBody();
		const char type[] = "SMIMapplication/x.vnd-tarvish-cvabfile";
		setxattr(path.c_str(), "user.BEOS:TYPE", type, sizeof(type), 0);
	}
	~Book() { std::system(("rm -rf " + folder).c_str()); }

	std::string folder;
	std::string path;
};

// --- the program

// Turns the desktop's accessibility switch on or off, as a screen reader does.
void SetEnabled(bool enabled)
{
	GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
	GVariant* reply = g_dbus_connection_call_sync(bus, "org.a11y.Bus", "/org/a11y/bus",
		"org.freedesktop.DBus.Properties", "Set",
		g_variant_new("(ssv)", "org.a11y.Status", "IsEnabled", g_variant_new_boolean(enabled)),
		nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
	if (reply != nullptr)
		g_variant_unref(reply);
	g_object_unref(bus);
}

// Seconds until the window's list shows its first rows (text below the column
// headers); -1 after a minute.
double UntilFirstFrame(Display* display, Clock::time_point start)
{
	while (Since(start) < 60) {
		if (Window window = Named(display, DefaultRootWindow(display), "big.cvab")) {
			XImage* image = XGetImage(display, window, 4, 40, 200, 40, AllPlanes, ZPixmap);
			bool drawn = false;
			for (int i = 0; image != nullptr && i < 200 * 40 && !drawn; i++)
				drawn = (XGetPixel(image, i % 200, i / 200) & 0xffffff) < 0x404040;
			if (image != nullptr)
				XDestroyImage(image);
			if (drawn)
				return Since(start);
		}
		// Looking often would take a core from the program on a small machine.
		usleep(2000);
	}
	return -1;
}

double ResidentBytes(pid_t pid)
{
	std::ifstream status("/proc/" + std::to_string(pid) + "/status");
	std::string line;
	while (std::getline(status, line)) {
		if (line.rfind("VmRSS:", 0) == 0)
			return std::stod(line.substr(6)) * 1024;
	}
	return 0;
}

// --- the reader

// Runs the reader's main context until done() or the time-out (seconds).
template <class F>
bool Pump(F done, double timeout)
{
	const Clock::time_point start = Clock::now();
	while (!done()) {
		if (Since(start) > timeout)
			return false;
		while (g_main_context_iteration(nullptr, FALSE)) {
		}
		usleep(100);
	}
	return true;
}

AtspiAccessible* ApplicationOf(pid_t pid)
{
	AtspiAccessible* desktop = atspi_get_desktop(0);
	AtspiAccessible* found = nullptr;
	const int count = atspi_accessible_get_child_count(desktop, nullptr);
	for (int i = 0; i < count && found == nullptr; i++) {
		AtspiAccessible* app = atspi_accessible_get_child_at_index(desktop, i, nullptr);
		if (app != nullptr && (pid_t)atspi_accessible_get_process_id(app, nullptr) == pid)
			found = app;
		else if (app != nullptr)
			g_object_unref(app);
	}
	g_object_unref(desktop);
	return found;
}

AtspiAccessible* FindRole(AtspiAccessible* object, AtspiRole role)
{
	if (atspi_accessible_get_role(object, nullptr) == role)
		return ATSPI_ACCESSIBLE(g_object_ref(object));
	AtspiStateSet* states = atspi_accessible_get_state_set(object);
	const bool managed = atspi_state_set_contains(states, ATSPI_STATE_MANAGES_DESCENDANTS);
	g_object_unref(states);
	const int count = managed ? 0 : atspi_accessible_get_child_count(object, nullptr);
	AtspiAccessible* found = nullptr;
	for (int i = 0; i < count && found == nullptr; i++) {
		AtspiAccessible* child = atspi_accessible_get_child_at_index(object, i, nullptr);
		if (child != nullptr) {
			found = FindRole(child, role);
			g_object_unref(child);
		}
	}
	return found;
}

// The program started on the book with accessibility on, with the reader's view
// of its table; a benchmark goes on once it is Ready.
struct Session {
	Session()
	{
		SetEnabled(true);
		display = XOpenDisplay(nullptr);
		pid = bench_desktop::Start({CVAB_BINARY, book.path});
		if (display == nullptr || UntilFirstFrame(display, Clock::now()) < 0)
			return;
		Pump([this] { return (application = ApplicationOf(pid)) != nullptr; }, 10);
		if (application == nullptr)
			return;
		Pump([this] { return (table = FindRole(application, ATSPI_ROLE_TABLE)) != nullptr; }, 10);
	}
	~Session()
	{
		if (table != nullptr)
			g_object_unref(table);
		if (application != nullptr)
			g_object_unref(application);
		Stop(pid);
		if (display != nullptr)
			XCloseDisplay(display);
	}

	bool Ready(benchmark::State& state) const
	{
		if (table == nullptr)
			state.SkipWithError("no table on the bus");
		return table != nullptr;
	}

	const Book book;
	Display* display = nullptr;
	pid_t pid = -1;
	AtspiAccessible* application = nullptr;
	AtspiAccessible* table = nullptr;
};

// --- the measures

// Hears the focus move as long as it lives.
class FocusListener {
public:
	FocusListener(AtspiEventListenerCB heard, gpointer data)
		: fListener(atspi_event_listener_new(heard, data, nullptr))
	{
		for (const char* type : kTypes)
			atspi_event_listener_register(fListener, type, nullptr);
	}
	~FocusListener()
	{
		for (const char* type : kTypes)
			atspi_event_listener_deregister(fListener, type, nullptr);
		g_object_unref(fListener);
	}
	FocusListener(const FocusListener&) = delete;
	FocusListener& operator=(const FocusListener&) = delete;

private:
	static constexpr const char* kTypes[] = {"object:state-changed:focused", "focus:"};
	AtspiEventListener* fListener;
};

void OpenLargeBookWithAReader(benchmark::State& state)
{
	Display* display = XOpenDisplay(nullptr);
	if (display == nullptr) {
		state.SkipWithError("no display: run it as tests/app/with_reader_bus.sh");
		return;
	}
	const Book book;
	const FocusListener listening(
		[](AtspiEvent* event, void*) { g_boxed_free(ATSPI_TYPE_EVENT, event); }, nullptr);
	double plain = 0;
	double plainBytes = 0;
	double readBytes = 0;
	bool onFirst = false;
	for (auto _ : state) {
		double shown[2];
		// Each way goes first in turn, so a warm cache favours neither.
		onFirst = !onFirst;
		for (const bool enabled : {onFirst, !onFirst}) {
			SetEnabled(enabled);
			const Clock::time_point start = Clock::now();
			const pid_t child = bench_desktop::Start({CVAB_BINARY, book.path});
			shown[enabled] = UntilFirstFrame(display, start);
			usleep(500000);
			(enabled ? readBytes : plainBytes) += ResidentBytes(child);
			Stop(child);
		}
		if (shown[0] < 0 || shown[1] < 0) {
			state.SkipWithError("the book did not show");
			break;
		}
		state.SetIterationTime(shown[1]);
		plain += shown[0];
	}
	SetEnabled(true);
	XCloseDisplay(display);
	const double runs = double(state.iterations());
	if (runs > 0 && plain > 0) {
		state.counters["off_ms"] = 1e3 * plain / runs;
		state.counters["bytes_per_record_off"] = plainBytes / runs / bench_book::kRecords;
		state.counters["bytes_per_record_on"] = readBytes / runs / bench_book::kRecords;
	}
}

void WalkScreenOfRows(benchmark::State& state)
{
	const Session session;
	if (!session.Ready(state))
		return;
	AtspiTable* table = atspi_accessible_get_table_iface(session.table);
	const int columns = atspi_table_get_n_columns(table, nullptr);
	int rows = 0;
	while (true) {
		AtspiAccessible* row = atspi_accessible_get_child_at_index(session.table, rows, nullptr);
		AtspiStateSet* states = row != nullptr ? atspi_accessible_get_state_set(row) : nullptr;
		const bool showing = states != nullptr && atspi_state_set_contains(states, ATSPI_STATE_SHOWING);
		if (states != nullptr)
			g_object_unref(states);
		if (row != nullptr)
			g_object_unref(row);
		if (!showing)
			break;
		rows++;
	}
	double plain = 0;
	size_t characters = 0;
	for (auto _ : state) {
		Clock::time_point start = Clock::now();
		for (int row = 0; row < rows; row++) {
			for (int column = 0; column < columns; column++) {
				AtspiAccessible* cell = atspi_table_get_accessible_at(table, row, column, nullptr);
				// A cell asked for again is the same object: its name comes from
				// the program each time, not from the reader's cache.
				if (cell != nullptr)
					atspi_accessible_clear_cache(cell);
				gchar* name = cell != nullptr ? atspi_accessible_get_name(cell, nullptr) : nullptr;
				characters += name != nullptr ? strlen(name) : 0;
				g_free(name);
				if (cell != nullptr)
					g_object_unref(cell);
			}
		}
		state.SetIterationTime(Since(start));
		start = Clock::now();
		// As many round trips to the program, each for a number it has at hand.
		for (int i = 0; i < 2 * rows * columns; i++)
			atspi_table_get_n_rows(table, nullptr);
		plain += Since(start);
	}
	g_object_unref(table);
	if (state.iterations() > 0) {
		state.counters["cells"] = rows * columns;
		state.counters["plain_questions_ms"] = 1e3 * plain / double(state.iterations());
		state.counters["characters"] = double(characters) / double(state.iterations());
	}
}

void FocusChangeToReader(benchmark::State& state)
{
	const Session session;
	if (!session.Ready(state))
		return;
	int heard = 0;
	const FocusListener listening([](AtspiEvent* event, void* data) {
		if (strcmp(event->type, "object:state-changed:focused") == 0 && event->detail1 == 1)
			++*static_cast<int*>(data);
		g_boxed_free(ATSPI_TYPE_EVENT, event);
	}, &heard);
	const KeyCode tab = XKeysymToKeycode(session.display, XK_Tab);
	AtspiTable* table = atspi_accessible_get_table_iface(session.table);
	double plain = 0;
	for (auto _ : state) {
		const int before = heard;
		Clock::time_point start = Clock::now();
		XTestFakeKeyEvent(session.display, tab, True, CurrentTime);
		XTestFakeKeyEvent(session.display, tab, False, CurrentTime);
		XFlush(session.display);
		if (!Pump([&] { return heard > before; }, 2)) {
			state.SkipWithError("no focus event heard");
			break;
		}
		state.SetIterationTime(Since(start));
		start = Clock::now();
		atspi_table_get_n_rows(table, nullptr);
		plain += Since(start);
		Pump([] { return false; }, 0.02);
	}
	g_object_unref(table);
	if (state.iterations() > 0)
		state.counters["plain_question_ms"] = 1e3 * plain / double(state.iterations());
}

}  // namespace

BENCHMARK(OpenLargeBookWithAReader)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(WalkScreenOfRows)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
BENCHMARK(FocusChangeToReader)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);

int main(int argc, char** argv)
{
	atspi_init();
	benchmark::Initialize(&argc, argv);
	benchmark::RunSpecifiedBenchmarks();
	benchmark::Shutdown();
	return 0;
}
