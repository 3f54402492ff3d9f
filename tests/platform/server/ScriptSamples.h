// Names in the scripts of most of the world's people, and emoji a name may hold,
// for the tests of what the text engine lays out and the windows draw; and a
// record of the texts drawn.
// Threading: constants and a question to fontconfig, any thread; DrawnTexts is
// told from the windows' threads and read from the test's.
#ifndef _SCRIPT_SAMPLES_H
#define _SCRIPT_SAMPLES_H

#include <SupportDefs.h>

#include <map>
#include <mutex>
#include <string>

struct ScriptSample {
	const char* name;
	const char* text;
};

inline constexpr ScriptSample kScriptSamples[] = {
	{"Japanese", "\xe5\xb1\xb1\xe7\x94\xb0 \xe5\xa4\xaa\xe9\x83\x8e"},
	{"Chinese", "\xe7\x8e\x8b\xe5\xb0\x8f\xe6\x98\x8e"},
	{"Korean", "\xea\xb9\x80\xeb\xaf\xbc\xec\xa4\x80"},
	{"Arabic", "\xd9\x85\xd8\xad\xd9\x85\xd8\xaf \xd8\xb9\xd9\x84\xd9\x8a"},
	{"Hebrew", "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d 123"},
	{"Hindi", "\xe0\xa4\xa8\xe0\xa4\xae\xe0\xa4\xb8\xe0\xa5\x8d\xe0\xa4\xa4\xe0\xa5\x87"},
	{"Thai", "\xe0\xb8\xaa\xe0\xb8\xa1\xe0\xb8\x8a\xe0\xb8\xb2\xe0\xb8\xa2"},
	{"Vietnamese", "Nguy\xe1\xbb\x85n V\xc4\x83n \xc3\x81nh"},
	{"Greek", "\xce\x93\xce\xb9\xcf\x8e\xcf\x81\xce\xb3\xce\xbf\xcf\x82"},
	{"Russian", "\xd0\x81\xd0\xb6\xd0\xb8\xd0\xba \xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd\xd0\xbe\xd0\xb2"},
	{"flag", "\xf0\x9f\x87\xaf\xf0\x9f\x87\xb5"},
	{"skin tone", "\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd"},
	{"family", "\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x91\xa7"},
};

// Whether every character of text (joiners and variation selectors aside) is in
// some installed font, as fontconfig knows them.
bool InstalledFontsCover(const char* text);

// What the text engine draws while one exists: each text with its glyphs that
// are the empty box, and where its left edge went (the painter's x).
class DrawnTexts {
public:
	DrawnTexts();
	~DrawnTexts();

	void Clear();
	// Every sample was drawn in some text, without a box where fonts cover it.
	void ExpectEverySampleDrawn(const char* where);
	// Where the text was drawn last; -1 when it was not.
	float LeftOf(const std::string& text);

private:
	struct Drawn {
		int32 missing = 0;
		float x = -1;
	};
	std::mutex fLock;
	std::map<std::string, Drawn> fDrawn;
};

#endif
