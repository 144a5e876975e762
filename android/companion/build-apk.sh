#!/usr/bin/env bash
# Builds the companion package RUZIVeruDIR.apk from this folder:
#   smali/      -> classes.dex            (smali, dex for API 23 and later)
#   manifest, res/ against the platform's framework resources -> the package (aapt)
#   4-byte alignment (zipalign), then the signature (apksigner, v1 for Android 6, v2/v3 after).
#
# build-apk.sh SOURCE_DIR WORK_DIR OUT_APK KEYSTORE FRAMEWORK_RES
# The tools are named by the variables SMALI, AAPT, ZIPALIGN, APKSIGNER and KEYTOOL.
#
# The signing key lives outside the repository, in KEYSTORE, and is made on the first build.
# Android installs a package over an existing copy only when both carry the same key, so the
# key must outlive build folders and checkouts; its password is not a secret (the file is
# private to the user), it only satisfies the keystore format.
set -euo pipefail

src=$1 work=$2 out=$3 keystore=$4 framework=$5
alias_name=companion
pass=tesk-sms-companion

mkdir -p "$work" "$(dirname "$out")"

if [ ! -s "$keystore" ]; then
    mkdir -p -m 700 "$(dirname "$keystore")"
    fresh="$keystore.$$.new"
    rm -f "$fresh"
    (umask 077 && "$KEYTOOL" -genkeypair -noprompt -keystore "$fresh" -storetype PKCS12 \
        -storepass "$pass" -keypass "$pass" -alias "$alias_name" -keyalg RSA -keysize 2048 \
        -validity 10000 -dname "CN=Tesk SMS Companion, O=Tesk SMS" >"$fresh.log" 2>&1) ||
        { cat "$fresh.log" >&2; rm -f "$fresh" "$fresh.log"; exit 1; }
    rm -f "$fresh.log"
    # A hard link never replaces an existing file: when two builds race, the first key wins.
    if ln "$fresh" "$keystore" 2>/dev/null; then
        echo "companion: new signing key in $keystore"
    fi
    rm -f "$fresh"
fi

rm -f "$work/classes.dex" "$work/unaligned.apk" "$work/aligned.apk" "$work/signed.apk"
"$SMALI" assemble --api 23 -o "$work/classes.dex" "$src/smali"
"$AAPT" package -f -M "$src/AndroidManifest.xml" -S "$src/res" -I "$framework" \
    -F "$work/unaligned.apk"
(cd "$work" && "$AAPT" add unaligned.apk classes.dex >/dev/null)
"$ZIPALIGN" -f -p 4 "$work/unaligned.apk" "$work/aligned.apk"
"$APKSIGNER" sign --ks "$keystore" --ks-pass "pass:$pass" --ks-key-alias "$alias_name" \
    --key-pass "pass:$pass" --min-sdk-version 23 --out "$work/signed.apk" "$work/aligned.apk"
"$APKSIGNER" verify --min-sdk-version 23 "$work/signed.apk"
rm -f "$work/signed.apk.idsig"
mv -f "$work/signed.apk" "$out"
