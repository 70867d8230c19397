/* The every-core bench's reference, a plain C program with pthreads and
 * nothing of ours: one thread per CPU named on the command line, each pinned
 * to its CPU, released from one barrier, timed with the monotonic clock in
 * nanoseconds from the release to the last thread's end.
 *
 *   cores_reference loop COUNT CPU...
 *       each thread counts COUNT down to 0 (decrement and branch, in a
 *       register); prints the total M iterations/s: threads x COUNT / time.
 *   cores_reference memory MIB PASSES CPU...
 *       one block of MIB MiB split into a slice per thread, each slice first
 *       written by its thread; PASSES memset passes, PASSES passes that sum
 *       the slice's 64-bit words, and PASSES counting passes of one loop
 *       step per byte of the slice, touching no memory (the pass the memory
 *       test times); prints the three MiB/s: fill, sum, count.
 */
#define _GNU_SOURCE
#include <pthread.h>
#include <sched.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { MAX_THREADS = 1024 };

static pthread_barrier_t start;
static int mode_memory;
static long long count;
static int passes;
static unsigned char* block;
static size_t slice_bytes;
static volatile uint64_t sums[MAX_THREADS];
static int cpus[MAX_THREADS];
static int threads;
static int phase; /* 0 fill, 1 sum, 2 count */

static double now_ns(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e9 + t.tv_nsec;
}

static void count_down(long long n)
{
    if (n <= 0) return;
    __asm__ volatile(
        ".p2align 4\n"
        "1:\n\t"
        "dec %0\n\t"
        "jnz 1b"
        : "+r"(n)
        :
        : "cc");
}

static void* worker(void* arg)
{
    const int i = (int)(intptr_t)arg;
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpus[i], &set);
    if (pthread_setaffinity_np(pthread_self(), sizeof set, &set) != 0) {
        fprintf(stderr, "cannot pin to CPU %d\n", cpus[i]);
        exit(1);
    }
    unsigned char* mine = block + i * slice_bytes;
    if (mode_memory && phase == 0) memset(mine, 0, slice_bytes); /* first touch */
    pthread_barrier_wait(&start);
    if (!mode_memory) {
        count_down(count);
    } else if (phase == 0) {
        for (int p = 0; p < passes; ++p) {
            memset(mine, 0xA5, slice_bytes);
            __asm__ volatile("" : : "r"(mine) : "memory");
        }
    } else if (phase == 2) {
        for (int p = 0; p < passes; ++p) count_down((long long)slice_bytes);
    } else {
        uint64_t sum = 0;
        const uint64_t* words = (const uint64_t*)mine;
        for (int p = 0; p < passes; ++p) {
            for (size_t w = 0; w < slice_bytes / 8; ++w) sum += words[w];
            __asm__ volatile("" : "+r"(sum));
        }
        sums[i] = sum;
    }
    return NULL;
}

/* Seconds from the release to the last thread's end. */
static double run_threads(void)
{
    pthread_t ids[MAX_THREADS];
    pthread_barrier_init(&start, NULL, (unsigned)threads + 1);
    for (int i = 0; i < threads; ++i)
        if (pthread_create(&ids[i], NULL, worker, (void*)(intptr_t)i) != 0) {
            fprintf(stderr, "cannot start a thread\n");
            exit(1);
        }
    pthread_barrier_wait(&start);
    const double t0 = now_ns();
    for (int i = 0; i < threads; ++i) pthread_join(ids[i], NULL);
    const double t1 = now_ns();
    pthread_barrier_destroy(&start);
    return (t1 - t0) / 1e9;
}

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: cores_reference loop COUNT CPU... | memory MIB PASSES CPU...\n");
        return 2;
    }
    mode_memory = strcmp(argv[1], "memory") == 0;
    const int first = mode_memory ? 4 : 3;
    for (int a = first; a < argc && threads < MAX_THREADS; ++a) cpus[threads++] = atoi(argv[a]);
    if (threads == 0) return 2;
    if (!mode_memory) {
        count = atoll(argv[2]);
        const double seconds = run_threads();
        printf("%.6f\n", threads * (double)count / seconds / 1e6);
        return 0;
    }
    const long long mib = atoll(argv[2]);
    passes = atoi(argv[3]);
    const size_t bytes = (size_t)mib << 20;
    slice_bytes = bytes / (size_t)threads / 4096 * 4096;
    block = malloc(bytes);
    if (!block) return 1;
    const double used_mib = (double)slice_bytes * threads / 1048576.0;
    phase = 0;
    const double fill = run_threads();
    phase = 1;
    const double sum = run_threads();
    phase = 2;
    const double counted = run_threads();
    printf("%.6f %.6f %.6f\n", used_mib * passes / fill, used_mib * passes / sum,
           used_mib * passes / counted);
    free(block);
    return 0;
}
