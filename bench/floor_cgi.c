/* The floor for a CGI request: a static C program that writes a page of a
 * given size and exits, doing nothing else. Whatever the board program costs
 * above this is its own work.
 *
 * The size is the whole output (header included), taken from the first
 * argument, else from the environment variable FLOOR_BYTES, else from
 * "bytes=N" in QUERY_STRING (so a web server can run it), else 4096.
 *
 *   gcc -O2 -static -o floor_cgi floor_cgi.c
 */
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char header[] = "Content-type: text/html\n\n";
static const char line[] =
    "<tr><td align=center>12345</td><td><a href=\"x?action=y&nyno=12345\">"
    "floor page line</a></td><td>2026-12-11</td><td>99</td></tr>\n";

static long size_from_query(const char *query) {
  const char *p = query;
  while (p && *p) {
    if (strncmp(p, "bytes=", 6) == 0) return atol(p + 6);
    p = strchr(p, '&');
    if (p) ++p;
  }
  return -1;
}

int main(int argc, char **argv) {
  static char page[1 << 20];
  long size = -1;
  if (argc > 1) size = atol(argv[1]);
  if (size < 0 && getenv("FLOOR_BYTES")) size = atol(getenv("FLOOR_BYTES"));
  if (size < 0) size = size_from_query(getenv("QUERY_STRING"));
  if (size < 0) size = 4096;
  if (size > (long)sizeof page) size = sizeof page;

  long n = 0;
  for (size_t i = 0; n < size && i < sizeof header - 1; ++i) page[n++] = header[i];
  while (n < size) {
    for (size_t i = 0; n < size && i < sizeof line - 1; ++i) page[n++] = line[i];
  }
  long done = 0;
  while (done < n) {
    ssize_t w = write(1, page + done, (size_t)(n - done));
    if (w <= 0) return 1;
    done += w;
  }
  return 0;
}
