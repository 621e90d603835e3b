# Writes what programs send the debugger (OutputDebugString) to the file given, as a debug viewer
# does: the shared buffer DBWIN_BUFFER and its two events. Runs until the job ends.
param([string]$path)
$ErrorActionPreference = 'Stop'
Add-Type @'
using System;
using System.IO;
using System.IO.MemoryMappedFiles;
using System.Text;
using System.Threading;
public static class DebugOutput {
  public static void Listen(string path) {
    using (var ready = new EventWaitHandle(false, EventResetMode.AutoReset, "DBWIN_BUFFER_READY"))
    using (var written = new EventWaitHandle(false, EventResetMode.AutoReset, "DBWIN_DATA_READY"))
    using (var buffer = MemoryMappedFile.CreateNew("DBWIN_BUFFER", 4096))
    using (var view = buffer.CreateViewAccessor())
    using (var log = new StreamWriter(path, true) { AutoFlush = true }) {
      var text = new byte[4092];
      for (;;) {
        ready.Set();
        written.WaitOne();
        view.ReadArray(4, text, 0, text.Length);
        int end = Array.IndexOf(text, (byte)0);
        log.WriteLine("{0}: {1}", view.ReadInt32(0),
                      Encoding.Default.GetString(text, 0, end < 0 ? text.Length : end).TrimEnd());
      }
    }
  }
}
'@
[DebugOutput]::Listen($path)
