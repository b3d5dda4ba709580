#!/bin/bash
# Builds the shipped packages from the sources into dist/:
#   Brisola-<version>-setup.exe     the installer (NSIS, x86, around the i686 build)
#   Brisola-<version>.msi           the Windows Installer package (wixl, x86, the
#                                   same files per machine, for deployment tools)
#   Brisola-<version>-portable.zip  the programs, the help file and README.txt
#   SHA256SUMS
# and checks them. The version is the one in resources/version.h.
#   scripts/package.sh [--test-installer ARCH]
# --test-installer also builds the same installer script and package around
# the programs of build/ARCH (x86_64: an amd64 installer and an x64 package
# that 64-bit Wine can run) into build/ARCH/package/, for the tests, with a
# second package of the next minor version to test the upgrade.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
test_arch=
if [ "${1:-}" = --test-installer ]; then test_arch=${2:?--test-installer needs an architecture}; fi
bash "$root/scripts/setup.sh"

major=$(sed -n 's/^#define BRISOLA_VERSION_MAJOR //p' "$root/resources/version.h")
minor=$(sed -n 's/^#define BRISOLA_VERSION_MINOR //p' "$root/resources/version.h")
version=$major.$minor
company=$(sed -n 's/^#define BRISOLA_COMPANY "\(.*\)"$/\1/p' "$root/resources/version.h")
dist="$root/dist"
fail() { echo "package: $*" >&2; exit 1; }

# The programs, brisola.exe and brisolac.exe once the project has it,
# built and copied without their debugging information into
# build/ARCH/package/programs.
stage_programs() {
  local arch=$1 targets p
  bash "$root/scripts/build.sh" "$arch" brisola >/dev/null
  targets=$(cmake --build "$root/build/$arch" --target help)
  if grep -qw brisolac <<<"$targets"; then
    bash "$root/scripts/build.sh" "$arch" brisolac >/dev/null
  fi
  rm -rf "$root/build/$arch/package/programs"
  mkdir -p "$root/build/$arch/package/programs"
  for p in brisola.exe brisolac.exe; do
    [ -f "$root/build/$arch/$p" ] || continue
    "$arch-w64-mingw32-strip" --strip-all -o "$root/build/$arch/package/programs/$p" "$root/build/$arch/$p"
  done
}
stage_programs i686
staged="$root/build/i686/package/programs"
programs=(brisola.exe)
[ -f "$staged/brisolac.exe" ] && programs+=(brisolac.exe)
for p in "${programs[@]}"; do
  kind=gui; [ "$p" = brisolac.exe ] && kind=console
  bash "$root/scripts/check-exe.sh" "$staged/$p" "$kind"
done

# The help file, compiled from docs/help in a copy, and read back.
help="$root/build/help"
rm -rf "$help"
cp -r "$root/docs/help" "$help"
(cd "$help" && chmcmd brisola.hhp >chmcmd.log 2>&1) || { cat "$help/chmcmd.log" >&2; fail "chmcmd failed"; }
chm="$help/BrisolaHelp.chm"
[ "$(head -c 4 "$chm")" = ITSF ] || fail "$chm is not an ITSF file"
listing=$(enum_chmLib "$chm")
for page in "$root"/docs/help/*.html; do
  grep -Eq "[[:space:]]/$(basename "$page")$" <<<"$listing" || fail "$chm lacks $(basename "$page")"
done

# make_installer ARCH OUTFILE
make_installer() {
  makensis -V2 -DARCH="$1" -DPROGRAMS="$root/build/$1/package/programs" -DICON="$root/build/$1/art/app.ico" \
           -DHELP="$chm" -DPOLICIES="$root/policies" -DOUTFILE="$2" "$root/installer/brisola.nsi"
}

# make_msi ARCH VERSION OUTFILE: the package around build/ARCH's programs,
# staged in one folder, since wixl takes the files' names from there.
make_msi() {
  local arch=$1 ver=$2 out=$3 stage="$root/build/$1/package/msi" wixarch=x86
  [ "$arch" = x86_64 ] && wixarch=x64
  rm -rf "$stage"
  mkdir -p "$stage"
  cp "$root/build/$arch/package/programs/"*.exe "$chm" "$root/build/$arch/art/app.ico" \
     "$root/policies/Brisola.admx" "$root/policies/en-US/Brisola.adml" "$stage/"
  (cd "$stage" && wixl -a "$wixarch" -D Version="$ver" -D Company="$company" -o "$out" "$root/installer/brisola.wxs")
}

rm -rf "$dist"
mkdir -p "$dist"
setup="Brisola-$version-setup.exe"
msi="Brisola-$version.msi"
zip="Brisola-$version-portable.zip"
make_installer i686 "$dist/$setup"
make_msi i686 "$version" "$dist/$msi"

# The zip: one folder, the files in name order with one fixed date.
sed "s/@VERSION@/$version/" "$root/installer/README-portable.txt" | sed 's/$/\r/' >"$help/README.txt"
# Each file goes in under its own name, or under the name after "::".
python3 - "$dist/$zip" "Brisola-$version" "$help/README.txt" "$chm" "${programs[@]/#/$staged/}" \
  "$root/policies/Brisola.admx::policies/Brisola.admx" \
  "$root/policies/en-US/Brisola.adml::policies/en-US/Brisola.adml" <<'PY'
import os, sys, zipfile
out, folder, files = sys.argv[1], sys.argv[2], sys.argv[3:]
entries = sorted((f.split("::")[1] if "::" in f else os.path.basename(f), f.split("::")[0]) for f in files)
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for name, path in entries:
        info = zipfile.ZipInfo(folder + "/" + name, (2024, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        with open(path, "rb") as f:
            z.writestr(info, f.read())
PY
(cd "$dist" && sha256sum "$setup" "$msi" "$zip" >SHA256SUMS)

# Checks: the zip's files, the installer's version, the sums.
want=$(printf '%s\n' "${programs[@]}" BrisolaHelp.chm README.txt policies/Brisola.admx policies/en-US/Brisola.adml |
       sed "s|^|Brisola-$version/|" | sort)
got=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$dist/$zip")
[ "$want" = "$got" ] || fail "the zip holds $(echo $got), not $(echo $want)"
header=$(i686-w64-mingw32-objdump -p "$dist/$setup")
grep -q 'file format pei-i386' <<<"$header" || fail "$setup is not a 32-bit program"
resources=$(i686-w64-mingw32-windres -i "$dist/$setup" -O rc 2>/dev/null)
grep -q "FILEVERSION $major, $minor, 0, 0" <<<"$resources" || fail "$setup does not carry version $version.0.0"
# The package: its version, its fixed upgrade code, a per-machine install,
# and every file.
msiprop() { msiinfo export "$dist/$msi" Property | awk -F'\t' -v k="$1" '$1 == k { print $2 }' | tr -d '\r'; }
[ "$(msiprop ProductVersion)" = "$version.0.0" ] || fail "$msi does not carry version $version.0.0"
[ "$(msiprop UpgradeCode)" = "{D20F9FE5-D9EC-4F6B-B1EA-6788374A28CA}" ] || fail "$msi has another upgrade code"
[ "$(msiprop ALLUSERS)" = 1 ] || fail "$msi is not a per-machine package"
msifiles=$(msiinfo export "$dist/$msi" File | tail -n +4 | cut -f3 | sort | tr '\n' ' ')
[ "$msifiles" = "$(printf '%s\n' BrisolaHelp.chm Brisola.admx Brisola.adml "${programs[@]}" | sort | tr '\n' ' ')" ] ||
  fail "$msi holds $msifiles"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
echo "package: $dist: $setup, $msi, $zip ($(echo $got | sed "s|Brisola-$version/||g")), SHA256SUMS"

if [ -n "$test_arch" ]; then
  [ "$test_arch" = i686 ] || stage_programs "$test_arch"
  mkdir -p "$root/build/$test_arch/package"
  make_installer "$test_arch" "$root/build/$test_arch/package/$setup"
  make_msi "$test_arch" "$version" "$root/build/$test_arch/package/$msi"
  make_msi "$test_arch" "$major.$((minor + 1))" "$root/build/$test_arch/package/Brisola-next.msi"
  echo "package: test installer $root/build/$test_arch/package/$setup, packages $msi and Brisola-next.msi"
fi
