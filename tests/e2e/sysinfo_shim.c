// Preloaded into Wine so that sysinfo() agrees with the faked /proc/meminfo of the small
// machine: total and free RAM are read from that file on every call; there is no swap.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/sysinfo.h>

static unsigned long field_kb(const char* text, const char* name) {
  const char* at = strstr(text, name);
  return at ? strtoul(at + strlen(name), NULL, 10) : 0;
}

int sysinfo(struct sysinfo* info) {
  char text[4096] = {0};
  FILE* f = fopen("/proc/meminfo", "r");
  if (f) {
    fread(text, 1, sizeof text - 1, f);
    fclose(f);
  }
  *info = (struct sysinfo){.mem_unit = 1024, .procs = 1, .uptime = 1000};
  info->totalram = field_kb(text, "MemTotal:");
  info->freeram = field_kb(text, "MemFree:");
  return 0;
}
