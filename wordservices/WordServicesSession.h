// The server side of one Word Services request: the request's
// targets, the target being served and its text, and the scripting exchanges
// that read and rewrite a target.
//
// A client never freezes the address book: every exchange has a send and a reply
// time-out (the Size query one second each, the others kExchangeTimeout), and a
// time-out ends that target and every later target of the same client, which
// has stopped answering; 'WStp' goes out with a send time-out; a text bigger than
// kMaxTargetTextSize is refused; the target index is 32-bit and checked against
// the count; the insertion of a replacement is sent only after its deletion was
// acknowledged with "error" 0.
// Threading: one thread (the application's); the exchanges block it for at most
// their time-outs.
#ifndef _WORD_SERVICES_SESSION_H
#define _WORD_SERVICES_SESSION_H

#include <Message.h>
#include <Messenger.h>

#include <memory>
#include <vector>

class WordServicesSession {
public:
	explicit WordServicesSession(const BMessage* request);
	// Sends 'WStp' to the request's return address.
	virtual ~WordServicesSession();

	WordServicesSession(const WordServicesSession&) = delete;
	WordServicesSession& operator=(const WordServicesSession&) = delete;

	virtual status_t Execute();
	// Makes target i current and fetches its text. B_BAD_INDEX (and Stop())
	// outside 0..count-1; B_TIMED_OUT for a client that stopped answering.
	virtual status_t SelectTarget(int32 i);
	// Deletes [fromEnd, restFromEnd) of the current target and, when the
	// deletion was acknowledged, inserts newText there. B_OK only when the text
	// was replaced.
	virtual status_t ReplaceText(const char* newText, int32 fromEnd, int32 restFromEnd);
	virtual bool SetHilite(bool on, int32 fromEnd, int32 restFromEnd);
	virtual void Stop() { fDone = true; }
	virtual status_t TakeResultText(const BMessage* reply);
	virtual status_t FetchText();

	status_t InitCheck() const { return fStatus; }
	int32 Index() const { return fIndex; }
	int32 CountTargets() const { return static_cast<int32>(fTargets.size()); }
	bool IsDone() const { return fDone; }
	// The current target's text (null when none was taken) and its length.
	const char* Text() const { return fText.get(); }
	size_t TextLength() const { return fTextLength; }
	const BMessenger& ReplyTo() const { return fReplyTo; }

protected:
	// Sends one exchange to the current target and waits for its reply, each
	// within timeout; a time-out marks the current target's client as silent.
	status_t _Exchange(BMessage* message, BMessage* reply, bigtime_t timeout);
	// Whether the current target's client stopped answering in this session.
	bool _ClientSilent(const BMessenger& target) const;

	int32 fIndex = 0;
	status_t fStatus = B_OK;
	std::vector<BMessenger> fTargets;
	std::unique_ptr<BMessenger> fCurrentTarget;
	BMessenger fReplyTo;
	std::unique_ptr<char[]> fText;
	size_t fTextLength = 0;
	bool fDone = false;
	// Teams that let an exchange time out.
	std::vector<team_id> fSilentTeams;
};

#endif
