// Preloaded into Wine so that sysinfo() agrees with the faked /proc/meminfo of the small
// machine: total and free RAM are read from that file on every call; there is no swap.
#define _GNU_SOURCE
#include <stdio.h>
#include <string.h>
#include <sys/sysinfo.h>

static unsigned long field_kb(const char* text, const char* name) {
  const char* at = strstr(text, name);
  unsigned long kb = 0;
  if (at) sscanf(at + strlen(name), " %lu", &kb);
  return kb;
}

int sysinfo(struct sysinfo* info) {
  char text[4096] = {0};
  FILE* f = fopen("/proc/meminfo", "r");
  if (f) {
    fread(text, 1, sizeof text - 1, f);
    fclose(f);
  }
  memset(info, 0, sizeof *info);
  info->mem_unit = 1024;
  info->totalram = field_kb(text, "MemTotal:");
  info->freeram = field_kb(text, "MemFree:");
  info->procs = 1;
  info->uptime = 1000;
  return 0;
}
