// Kernel kit: semaphores, threads, time and team information.
// Threading: every call is safe from any thread.
#ifndef _OS_H
#define _OS_H

#include <SupportDefs.h>

#define B_OS_NAME_LENGTH 32

// Flags of acquire_sem_etc and release_sem_etc.
enum {
	B_CAN_INTERRUPT = 0x01,
	B_CHECK_PERMISSION = 0x04,
	B_TIMEOUT = 0x08,
	B_RELATIVE_TIMEOUT = 0x08,
	B_ABSOLUTE_TIMEOUT = 0x10,
	B_DO_NOT_RESCHEDULE = 0x02,
};

// Thread priorities.
enum {
	B_LOW_PRIORITY = 5,
	B_NORMAL_PRIORITY = 10,
	B_DISPLAY_PRIORITY = 15,
	B_URGENT_DISPLAY_PRIORITY = 20,
	B_REAL_TIME_DISPLAY_PRIORITY = 100,
	B_URGENT_PRIORITY = 110,
	B_REAL_TIME_PRIORITY = 120,
};

typedef enum {
	B_THREAD_RUNNING = 1,
	B_THREAD_READY,
	B_THREAD_RECEIVING,
	B_THREAD_ASLEEP,
	B_THREAD_SUSPENDED,
	B_THREAD_WAITING,
} thread_state;

typedef struct {
	thread_id thread;
	team_id team;
	char name[B_OS_NAME_LENGTH];
	thread_state state;
	int32 priority;
	sem_id sem;
	bigtime_t user_time;
	bigtime_t kernel_time;
	void* stack_base;
	void* stack_end;
} thread_info;

typedef struct {
	sem_id sem;
	team_id team;
	char name[B_OS_NAME_LENGTH];
	int32 count;
	thread_id latest_holder;
} sem_info;

typedef struct {
	team_id team;
	int32 thread_count;
	int32 image_count;
	int32 area_count;
	thread_id debugger_nub_thread;
	port_id debugger_nub_port;
	int32 argc;
	char args[64];
	uid_t uid;
	gid_t gid;
} team_info;

typedef int32 (*thread_func)(void* data);

#ifdef __cplusplus
extern "C" {
#endif

// Semaphores. Waiters on a deleted semaphore wake with B_BAD_SEM_ID.
sem_id create_sem(int32 count, const char* name);
status_t delete_sem(sem_id sem);
status_t acquire_sem(sem_id sem);
status_t acquire_sem_etc(sem_id sem, int32 count, uint32 flags, bigtime_t timeout);
status_t release_sem(sem_id sem);
status_t release_sem_etc(sem_id sem, int32 count, uint32 flags);
status_t get_sem_count(sem_id sem, int32* count);
status_t get_sem_info(sem_id sem, sem_info* info);

// Threads. A spawned thread waits until resume_thread starts it.
thread_id spawn_thread(thread_func func, const char* name, int32 priority, void* data);
status_t resume_thread(thread_id thread);
status_t wait_for_thread(thread_id thread, status_t* exitValue);
void exit_thread(status_t exitValue);
status_t rename_thread(thread_id thread, const char* newName);
thread_id find_thread(const char* name);
status_t get_thread_info(thread_id thread, thread_info* info);
status_t get_team_info(team_id team, team_info* info);

// Time, in microseconds.
status_t snooze(bigtime_t amount);
status_t snooze_until(bigtime_t time, int timeBase);
bigtime_t system_time(void);
uint32 real_time_clock(void);
bigtime_t real_time_clock_usecs(void);

#ifdef __cplusplus
}
#endif

#define B_SYSTEM_TIMEBASE 0

#endif
