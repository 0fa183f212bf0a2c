# Sourced: whether this machine runs the 32-bit programs. Some kernels run 32-bit code
# (IA-32 emulation), others refuse every 32-bit ELF; Wine runs a 32-bit Windows program only
# with Debian's 32-bit loader (wine32:i386) beside wine64. ZV_NO_X86=1 makes a machine that
# could run them behave like one that cannot (to see the skip path).

# Prints nothing and succeeds when 32-bit Linux code runs here; otherwise prints why not.
x86_code_why_not() {
  if [ -n "${ZV_NO_X86:-}" ]; then echo "ZV_NO_X86 is set"; return 1; fi
  if [ ! -e /lib/ld-linux.so.2 ]; then echo "no 32-bit loader /lib/ld-linux.so.2 (libc6-i386)"; return 1; fi
  local out
  if ! out=$(/lib/ld-linux.so.2 --version 2>&1 </dev/null); then
    echo "this kernel does not run 32-bit code (/lib/ld-linux.so.2: $(head -1 <<<"$out"))"
    return 1
  fi
}

# Prints nothing and succeeds when the 32-bit Windows programs can run under Wine here.
x86_wine_why_not() {
  x86_code_why_not || return 1
  if [ ! -x /usr/lib/wine/wine ]; then echo "the 32-bit Wine (wine32:i386) is not installed"; return 1; fi
}
