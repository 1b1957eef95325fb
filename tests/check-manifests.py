#!/usr/bin/python3
"""Checks the winget manifests and Scoop's kolbex.json against the Windows
zips beside them: every manifest parses, holds what its kind requires, and
names the version and the zips as they are.

    check-manifests.py FOLDER VERSION
"""
import hashlib
import json
import os
import sys

import yaml

folder, version = sys.argv[1], sys.argv[2]
failures = []


def expect(what, got, want):
    if got != want:
        failures.append(f'{what}: {got!r}, not {want!r}')


def sha256(name):
    with open(os.path.join(folder, name), 'rb') as zip_file:
        return hashlib.sha256(zip_file.read()).hexdigest()


zips = {bits: f'kolbex-{version}-win{bits}.zip' for bits in ('32', '64')}
hashes = {bits: sha256(name) for bits, name in zips.items()}
# The release's list of checksums gives the same.
with open(os.path.join(folder, 'SHA256SUMS'), encoding='utf-8') as sums:
    listed = dict(reversed(line.split()) for line in sums)
for bits, name in zips.items():
    expect(f'SHA256SUMS of {name}', listed.get(name), hashes[bits])
required = {
    'version': ['PackageIdentifier', 'PackageVersion', 'DefaultLocale', 'ManifestVersion'],
    'defaultLocale': ['PackageIdentifier', 'PackageVersion', 'PackageLocale', 'Publisher',
                      'PackageName', 'License', 'ShortDescription', 'Moniker', 'Tags'],
    'installer': ['PackageIdentifier', 'PackageVersion', 'InstallerType', 'NestedInstallerType',
                  'NestedInstallerFiles', 'Installers', 'ManifestVersion'],
}

# winget reads every value as text, as the base loader does.
winget = os.path.join(folder, f'kolbex-{version}-winget')
manifests = {}
for name in sorted(os.listdir(winget)):
    with open(os.path.join(winget, name), encoding='utf-8') as manifest:
        document = yaml.load(manifest, Loader=yaml.BaseLoader)
    manifests[document.get('ManifestType')] = document
    expect(f'{name}: identifier', document.get('PackageIdentifier'), 'Kolbex.Kolbex')
    expect(f'{name}: version', document.get('PackageVersion'), version)
    expect(f'{name}: schema', document.get('ManifestVersion'), '1.10.0')
    for field in required.get(document.get('ManifestType'), ['ManifestType']):
        if field not in document:
            failures.append(f'{name} lacks {field}')
expect('winget manifest kinds', sorted(manifests), sorted(required))
installer = manifests.get('installer', {})
expect('installer type', (installer.get('InstallerType'), installer.get('NestedInstallerType')),
       ('zip', 'portable'))
expect('nested files', installer.get('NestedInstallerFiles'),
       [{'RelativeFilePath': 'kolbex.exe', 'PortableCommandAlias': 'kolbex'}])
locale = manifests.get('defaultLocale', {})
expect('winget license', locale.get('License'), 'MIT')
expect('winget publisher', locale.get('Publisher'), 'The Kolbex developers')
base = locale.get('PackageUrl')
for entry, bits in zip(installer.get('Installers', []), ('32', '64')):
    expect('installer architecture', entry.get('Architecture'), {'32': 'x86', '64': 'x64'}[bits])
    expect(f'winget x{bits} address', entry.get('InstallerUrl'), f'{base}/{version}/{zips[bits]}')
    expect(f'winget x{bits} hash', entry.get('InstallerSha256', '').lower(), hashes[bits])

with open(os.path.join(folder, 'kolbex.json'), encoding='utf-8') as manifest:
    scoop = json.load(manifest)
for field in ('version', 'description', 'homepage', 'license', 'architecture', 'bin',
              'checkver', 'autoupdate'):
    if field not in scoop:
        failures.append(f'kolbex.json lacks {field}')
expect('Scoop version', scoop.get('version'), version)
expect('Scoop license', scoop.get('license'), 'MIT')
expect('Scoop program', scoop.get('bin'), 'kolbex.exe')
for bits in ('32', '64'):
    architecture = scoop.get('architecture', {}).get(f'{bits}bit', {})
    url = architecture.get('url', '')
    expect(f'Scoop {bits}-bit address', url, f'{base}/{version}/{zips[bits]}')
    expect(f'Scoop {bits}-bit hash', architecture.get('hash'), hashes[bits])
    later = scoop.get('autoupdate', {}).get('architecture', {}).get(f'{bits}bit', {})
    expect(f'Scoop {bits}-bit address by version', later.get('url'),
           url.replace(version, '$version'))

for failure in failures:
    print(f'manifests: {failure}')
sys.exit(1 if failures else 0)
