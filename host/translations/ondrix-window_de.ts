<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>jobagent::JobWindow</name>
    <message>
        <source>Job Handling: %1</source>
        <translation>Auftragsverwaltung: %1</translation>
    </message>
    <message>
        <source>Job:</source>
        <translation>Auftrag:</translation>
    </message>
    <message>
        <source>Printer:</source>
        <translation>Drucker:</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Drucken</translation>
    </message>
    <message>
        <source>Cancel &amp;Job</source>
        <translation>Auftrag &amp;abbrechen</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>The print system did not take the job: %1</source>
        <translation>Das Drucksystem hat den Auftrag nicht angenommen: %1</translation>
    </message>
    <message>
        <source>Cancel Job</source>
        <translation>Auftrag abbrechen</translation>
    </message>
    <message>
        <source>The print system did not cancel the job: %1</source>
        <translation>Das Drucksystem hat den Auftrag nicht abgebrochen: %1</translation>
    </message>
</context>
<context>
    <name>printdialog::PanelPage</name>
    <message>
        <source>Summary</source>
        <translation>Zusammenfassung</translation>
    </message>
</context>
<context>
    <name>printdialog::PrintWindow</name>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>Demo: %1</source>
        <translation>Demo: %1</translation>
    </message>
    <message>
        <source>P&amp;rinter:</source>
        <translation>Dru&amp;cker:</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Printer Options</source>
        <translation>Druckeroptionen</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Drucken</translation>
    </message>
    <message>
        <source>All pages (or e.g. 1-4, 7)</source>
        <translation>Alle Seiten (oder z. B. 1-4, 7)</translation>
    </message>
    <message>
        <source>Files:</source>
        <translation>Dateien:</translation>
    </message>
    <message>
        <source>&amp;Copies:</source>
        <translation>&amp;Kopien:</translation>
    </message>
    <message>
        <source>Pa&amp;ges:</source>
        <translation>&amp;Seiten:</translation>
    </message>
    <message>
        <source>No printer.</source>
        <translation>Kein Drucker.</translation>
    </message>
    <message>
        <source>No print queue of this machine has an Ondrix printer: showing the demo models.</source>
        <translation>Keine Druckwarteschlange dieses Rechners hat einen Ondrix-Drucker: Die Demomodelle werden gezeigt.</translation>
    </message>
    <message>
        <source>No print scheduler answers: showing the demo models.</source>
        <translation>Kein Druckdienst antwortet: Die Demomodelle werden gezeigt.</translation>
    </message>
    <message>
        <source>Device: %1</source>
        <translation>Gerät: %1</translation>
    </message>
    <message>
        <source>Print settings</source>
        <translation>Druckeinstellungen</translation>
    </message>
    <message>
        <source>Job Handling</source>
        <translation>Auftragsverwaltung</translation>
    </message>
    <message>
        <source>This printer has no options of its own.</source>
        <translation>Dieser Drucker hat keine eigenen Optionen.</translation>
    </message>
    <message>
        <source>This choice conflicts with another option of the printer.</source>
        <translation>Diese Wahl widerspricht einer anderen Option des Druckers.</translation>
    </message>
    <message>
        <source>&lt;i&gt;This printer has no Job Handling panel.&lt;/i&gt;</source>
        <translation>&lt;i&gt;Dieser Drucker hat keine Auftragsverwaltung.&lt;/i&gt;</translation>
    </message>
    <message>
        <source>Files to print</source>
        <translation>Zu druckende Dateien</translation>
    </message>
    <message>
        <source>Choose a file to print.</source>
        <translation>Wählen Sie eine Datei zum Drucken.</translation>
    </message>
    <message>
        <source>The pages are not a list of page numbers and ranges such as 1-4, 7.</source>
        <translation>Die Seiten sind keine Liste von Seitenzahlen und Bereichen wie 1-4, 7.</translation>
    </message>
    <message>
        <source>Demo printer</source>
        <translation>Demodrucker</translation>
    </message>
    <message>
        <source>A real printer would receive this job with these options:

</source>
        <translation>Ein echter Drucker erhielte diesen Auftrag mit diesen Optionen:

</translation>
    </message>
    <message>
        <source>CUPS did not take the job: %1</source>
        <translation>CUPS hat den Auftrag nicht angenommen: %1</translation>
    </message>
    <message>
        <source>C&amp;hoose…</source>
        <translation>&amp;Auswählen…</translation>
    </message>
</context>
<context>
    <name>toolkits::qt::Naming</name>
    <message>
        <source>Hold %1</source>
        <translation>%1 festhalten</translation>
    </message>
</context>
</TS>
