/* Times CGI requests the way a web server makes them: fork, exec the program
 * with the CGI environment (and a request body on standard input), read its
 * whole output, wait for it. Two programs are run alternately, A then B, so
 * both see the same machine; B is given FLOOR_BYTES = the size of A's latest
 * output, so a floor program can write a page of the same size.
 *
 *   cgi_time [-n REPS] [-w WARMUP] [-s START] [-d DIR] [-b BODY] [-o FILE]
 *            [-r FILE] PROG_A -- PROG_B [ARG...]
 *
 * Both get this program's environment, with "{N}" in any value (and in BODY)
 * replaced by the request's number: START, START+1, ... (warm-up requests
 * count too), so writing requests can each name another notice. With -b the
 * body is sent on standard input and CONTENT_LENGTH is set; without it,
 * standard input is /dev/null. -o keeps A's last output in FILE.
 *
 * Prints one line: bytesA medianA p90A bytesB medianB p90B failures, times in
 * milliseconds per request (wall clock, fork to reaped). A request fails when
 * its program exits non-zero or writes nothing. -r FILE appends one line per
 * measured request to FILE: "A|B wall_ms cpu_ms bytes", cpu_ms being the
 * program's user + system time (from wait4).
 *
 *   gcc -O2 -o cgi_time cgi_time.c
 */
#define _GNU_SOURCE
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

static char *replace_n(const char *text, long n) {
  char num[32];
  snprintf(num, sizeof num, "%ld", n);
  size_t count = 0;
  for (const char *p = strstr(text, "{N}"); p; p = strstr(p + 3, "{N}")) ++count;
  char *out = malloc(strlen(text) + count * strlen(num) + 1);
  char *o = out;
  const char *p = text;
  for (const char *q = strstr(p, "{N}"); q; q = strstr(p, "{N}")) {
    memcpy(o, p, (size_t)(q - p));
    o += q - p;
    strcpy(o, num);
    o += strlen(num);
    p = q + 3;
  }
  strcpy(o, p);
  return out;
}

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static char outbuf[4 << 20];

/* One request; returns its time in ms, or -1 when it failed. */
static double run(char **argv, char **envp, const char *dir, const char *body, long *bytes,
                  const char *keep, double *cpu) {
  int out[2], in[2] = {-1, -1};
  if (pipe(out)) return -1;
  if (body && pipe(in)) return -1;
  double start = now_ms();
  /* A small body is in the pipe before the program starts, as a web server
   * that has read the request would have it ready. */
  size_t len = body ? strlen(body) : 0, done = 0;
  while (body && len <= 60000 && done < len) {
    ssize_t w = write(in[1], body + done, len - done);
    if (w <= 0) break;
    done += (size_t)w;
  }
  pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (body) {
      dup2(in[0], 0);
      close(in[0]);
      close(in[1]);
    } else {
      int null = open("/dev/null", O_RDONLY);
      dup2(null, 0);
      close(null);
    }
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    close(null);
    dup2(out[1], 1);
    close(out[0]);
    close(out[1]);
    if (dir && chdir(dir) != 0) _exit(126);
    execve(argv[0], argv, envp);
    _exit(127);
  }
  close(out[1]);
  if (body) {
    close(in[0]);
    while (done < len) {
      ssize_t w = write(in[1], body + done, len - done);
      if (w <= 0) break;
      done += (size_t)w;
    }
    close(in[1]);
  }
  long n = 0;
  for (;;) {
    ssize_t r = read(out[0], outbuf + (n < (long)sizeof outbuf ? n : 0),
                     n < (long)sizeof outbuf ? sizeof outbuf - (size_t)n : sizeof outbuf);
    if (r <= 0) break;
    n += r;
  }
  close(out[0]);
  int status = 0;
  struct rusage use;
  wait4(pid, &status, 0, &use);
  double took = now_ms() - start;
  *cpu = (use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1e3 +
         (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e3;
  *bytes = n;
  if (keep) {
    FILE *f = fopen(keep, "wb");
    if (f) {
      fwrite(outbuf, 1, n < (long)sizeof outbuf ? (size_t)n : sizeof outbuf, f);
      fclose(f);
    }
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || n == 0) return -1;
  return took;
}

static int cmp(const void *a, const void *b) {
  double x = *(const double *)a, y = *(const double *)b;
  return x < y ? -1 : x > y;
}

static double quantile(double *v, int n, double q) {
  qsort(v, (size_t)n, sizeof *v, cmp);
  int i = (int)(q * (n - 1) + 0.5);
  return v[i];
}

/* The environment for request number n, plus FLOOR_BYTES when floor >= 0. */
static char **make_env(long n, const char *body, long floor) {
  int count = 0;
  while (environ[count]) ++count;
  char **env = calloc((size_t)count + 3, sizeof *env);
  int k = 0;
  for (int i = 0; i < count; ++i) {
    if (body && strncmp(environ[i], "CONTENT_LENGTH=", 15) == 0) continue;
    env[k++] = replace_n(environ[i], n);
  }
  if (body) {
    char *cl = malloc(64);
    snprintf(cl, 64, "CONTENT_LENGTH=%zu", strlen(body));
    env[k++] = cl;
  }
  if (floor >= 0) {
    char *fb = malloc(64);
    snprintf(fb, 64, "FLOOR_BYTES=%ld", floor);
    env[k++] = fb;
  }
  env[k] = NULL;
  return env;
}

static void free_env(char **env) {
  for (char **p = env; *p; ++p) free(*p);
  free(env);
}

int main(int argc, char **argv) {
  signal(SIGPIPE, SIG_IGN); /* a program may exit without reading its body */
  int reps = 200, warmup = 10;
  long start = 1;
  const char *dir = NULL, *body = NULL, *keep = NULL;
  FILE *raw = NULL;
  int opt;
  while ((opt = getopt(argc, argv, "+n:w:s:d:b:o:r:")) != -1) {
    switch (opt) {
      case 'n': reps = atoi(optarg); break;
      case 'w': warmup = atoi(optarg); break;
      case 's': start = atol(optarg); break;
      case 'd': dir = optarg; break;
      case 'b': body = optarg; break;
      case 'o': keep = optarg; break;
      case 'r':
        raw = fopen(optarg, "a");
        if (!raw) { perror(optarg); return 2; }
        break;
      default: return 2;
    }
  }
  int sep = -1;
  for (int i = optind; i < argc; ++i) {
    if (strcmp(argv[i], "--") == 0) { sep = i; break; }
  }
  if (sep != optind + 1 || sep + 1 >= argc || reps < 1) {
    fprintf(stderr, "usage: cgi_time [-n REPS] [-w WARMUP] [-s START] [-d DIR] [-b BODY] "
                    "[-o FILE] PROG_A -- PROG_B [ARG...]\n");
    return 2;
  }
  char *argv_a[] = {argv[optind], NULL};
  char **argv_b = argv + sep + 1;

  double *ta = malloc(sizeof(double) * (size_t)reps), *tb = malloc(sizeof(double) * (size_t)reps);
  long bytes_a = 0, bytes_b = 0, fails = 0;
  int na = 0, nb = 0;
  for (int i = 0; i < warmup + reps; ++i) {
    long n = start + i;
    char *b = body ? replace_n(body, n) : NULL;
    char **env = make_env(n, b, -1);
    long got = 0;
    double cpu = 0;
    double t = run(argv_a, env, dir, b, &got, keep, &cpu);
    free_env(env);
    if (t < 0) ++fails;
    else if (i >= warmup) {
      ta[na++] = t;
      if (raw) fprintf(raw, "A %.4f %.4f %ld\n", t, cpu, got);
    }
    bytes_a = got;

    env = make_env(n, b, bytes_a);
    t = run(argv_b, env, dir, b, &got, NULL, &cpu);
    free_env(env);
    if (t < 0) ++fails;
    else if (i >= warmup) {
      tb[nb++] = t;
      if (raw) fprintf(raw, "B %.4f %.4f %ld\n", t, cpu, got);
    }
    bytes_b = got;
    free(b);
  }
  if (na == 0 || nb == 0) {
    printf("%ld nan nan %ld nan nan %ld\n", bytes_a, bytes_b, fails);
    return 1;
  }
  double med_a = quantile(ta, na, 0.5), p90_a = quantile(ta, na, 0.9);
  double med_b = quantile(tb, nb, 0.5), p90_b = quantile(tb, nb, 0.9);
  printf("%ld %.3f %.3f %ld %.3f %.3f %ld\n", bytes_a, med_a, p90_a, bytes_b, med_b, p90_b, fails);
  return fails ? 1 : 0;
}
