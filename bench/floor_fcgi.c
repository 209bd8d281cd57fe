/* The floor for a FastCGI request: a persistent worker (Debian's libfcgi,
 * linked statically) that answers every request with a page of a given size
 * and does nothing else. What a web server and the FastCGI protocol cost per
 * request, without any board work; the ceiling for the board's FastCGI mode.
 *
 * The size is the whole output (header included), from "bytes=N" in
 * QUERY_STRING, else 4096.
 *
 *   gcc -O2 -static -o floor_fcgi floor_fcgi.c -lfcgi
 */
#include <fcgiapp.h>
#include <stdlib.h>
#include <string.h>

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

int main(void) {
  static char page[1 << 20];
  FCGX_Stream *in, *out, *err;
  FCGX_ParamArray envp;
  while (FCGX_Accept(&in, &out, &err, &envp) >= 0) {
    long size = size_from_query(FCGX_GetParam("QUERY_STRING", envp));
    if (size < 0) size = 4096;
    if (size > (long)sizeof page) size = sizeof page;
    long n = 0;
    for (size_t i = 0; n < size && i < sizeof header - 1; ++i) page[n++] = header[i];
    while (n < size) {
      for (size_t i = 0; n < size && i < sizeof line - 1; ++i) page[n++] = line[i];
    }
    FCGX_PutStr(page, (int)n, out);
  }
  return 0;
}
