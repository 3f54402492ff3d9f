// What SDL reports of IBus, as SDL 2.26 reports it (the sequences below were
// recorded with ibus-m17n's Vietnamese telex and ibus-table's cangjie), put in
// the order the windows must see it.
#include <InputMethodOrder.h>

#include <InterfaceDefs.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One letter an event: k key down (bytes after it, "" for a printable key whose
// character comes as text), t text, c composition ("" ends it).
struct Step {
	char what;
	std::string bytes;
};

std::vector<BackendEvent> Events(const std::vector<Step>& steps, bigtime_t when = 0)
{
	std::vector<BackendEvent> events;
	for (const Step& step : steps) {
		BackendEvent event;
		event.when = when;
		event.kind = step.what == 'k' ? BackendEvent::kKeyDown
			: step.what == 't' ? BackendEvent::kText : BackendEvent::kComposition;
		event.bytes = step.bytes;
		events.push_back(event);
	}
	return events;
}

std::vector<Step> Steps(const std::vector<BackendEvent>& events)
{
	std::vector<Step> steps;
	for (const BackendEvent& event : events) {
		const char what = event.kind == BackendEvent::kKeyDown ? 'k'
			: event.kind == BackendEvent::kText ? 't' : 'c';
		steps.push_back({what, event.bytes});
	}
	return steps;
}

bool operator==(const Step& a, const Step& b)
{
	return a.what == b.what && a.bytes == b.bytes;
}

void PrintTo(const Step& step, std::ostream* os)
{
	*os << step.what << "\"" << step.bytes << "\"";
}

const std::string kEnter(1, B_ENTER);
const std::string kLeft(1, B_LEFT_ARROW);

TEST(InputMethodOrder, TheKeyThatCommitsFollowsTheCommittedTextAndEnterOnlyCommits)
{
	struct Row {
		const char* name;
		std::vector<Step> in;
		std::vector<Step> out;
	};
	const Row rows[] = {
		{"plain typing passes", {{'k', ""}, {'t', "a"}, {'k', kEnter}},
			{{'t', "a"}, {'k', kEnter}}},
		{"telex: the space after the word it committed",
			{{'c', "vi\xe1\xbb\x87t"}, {'k', ""}, {'t', " "}, {'c', ""}, {'c', "vi\xe1\xbb\x87t"},
				{'c', ""}, {'t', "vi\xe1\xbb\x87t"}, {'c', ""}},
			{{'c', "vi\xe1\xbb\x87t"}, {'c', ""}, {'c', "vi\xe1\xbb\x87t"}, {'c', ""},
				{'t', "vi\xe1\xbb\x87t"}, {'t', " "}, {'c', ""}}},
		{"telex: Enter commits and presses nothing",
			{{'c', "nam"}, {'k', kEnter}, {'c', ""}, {'c', "nam"}, {'c', ""}, {'t', "nam"}},
			{{'c', "nam"}, {'c', ""}, {'c', "nam"}, {'c', ""}, {'t', "nam"}}},
		{"an arrow moves after the commit",
			{{'c', "nam"}, {'k', kLeft}, {'t', "nam"}},
			{{'c', "nam"}, {'c', ""}, {'t', "nam"}, {'k', kLeft}}},
		{"cangjie: the input method keeps its keys",
			{{'c', "\xe4\xba\xba"}, {'c', ""}, {'t', "\xf0\xa0\x89\x8e"}, {'c', ""}},
			{{'c', "\xe4\xba\xba"}, {'c', ""}, {'t', "\xf0\xa0\x89\x8e"}, {'c', ""}}},
	};
	for (const Row& row : rows) {
		InputMethodOrder order;
		std::vector<BackendEvent> out;
		for (const BackendEvent& event : Events(row.in))
			order.Take(event, out);
		order.Expire(0, out);
		EXPECT_EQ(Steps(out), row.out) << row.name;
	}
}

TEST(InputMethodOrder, AKeyNoCommitFollowsComesThroughLate)
{
	InputMethodOrder order;
	std::vector<BackendEvent> out;
	for (const BackendEvent& event : Events({{'c', "ab"}, {'k', kLeft}}, 1000))
		order.Take(event, out);
	order.Expire(1000 + InputMethodOrder::kWait, out);
	EXPECT_EQ(Steps(out), (std::vector<Step>{{'c', "ab"}}));
	order.Expire(1001 + InputMethodOrder::kWait, out);
	EXPECT_EQ(Steps(out), (std::vector<Step>{{'c', "ab"}, {'k', kLeft}}));
}

}  // namespace
